#include "ui/model/StatusText.h"

#include <gtest/gtest.h>

using namespace quorlin;

namespace {

StatusInputs Defaults() {
    StatusInputs in;
    in.title = L"Quorlin";
    in.version = L"2.9.0.59";
    in.blockerCaption = L"Block accidental clicks";
    in.blockerShortcut = L"Ctrl+F9";
    in.touchpadCaption = L"Switch touchpad";
    in.touchpadShortcut = L"Ctrl+Alt+F9";
    return in;
}

TEST(FormatText, SubstitutesInOrderAndSurvivesBadFormats) {
    EXPECT_EQ(FormatText(L"%s is %s", {L"A", L"On"}), L"A is On");
    EXPECT_EQ(FormatText(L"Clicks blocked: %d", {L"42"}), L"Clicks blocked: 42");
    EXPECT_EQ(FormatText(L"100%% %s", {L"x"}), L"100% x");
    EXPECT_EQ(FormatText(L"%s %s %s", {L"only"}), L"only %s %s");  // missing arguments stay visible
    EXPECT_EQ(FormatText(L"%n%x%", {L"a"}), L"%n%x%");             // unknown placeholders are text
    EXPECT_EQ(FormatText(L"%s", {L"%s%d"}), L"%s%d");               // arguments are not re-expanded
}

TEST(StatusText, BlockerTextWithAndWithoutShortcut) {
    StatusInputs in = Defaults();
    StatusWords w;
    EXPECT_EQ(BlockerStatusText(in, w), L"Blocking of accidental clicks is On use \"Ctrl+F9\" to switch");
    in.blockerEnabled = false;
    in.blockerShortcutShown = false;
    EXPECT_EQ(BlockerStatusText(in, w), L"Blocking of accidental clicks is Off");
}

TEST(StatusText, TouchpadText) {
    StatusInputs in = Defaults();
    StatusWords w;
    in.touchpadEnabled = true;
    EXPECT_EQ(TouchpadStatusText(in, w), L"Touchpad device is On");
    in.touchpadShortcutShown = true;
    in.touchpadEnabled = false;
    EXPECT_EQ(TouchpadStatusText(in, w), L"Touchpad device is Off use \"Ctrl+Alt+F9\" to switch");
}

TEST(StatusText, TipLines) {
    StatusInputs in = Defaults();
    EXPECT_EQ(TipText(in), L"Quorlin (2.9.0.59)\r\nBlock accidental clicks: Ctrl+F9");
    in.touchpadShortcutShown = true;  // no device: no touchpad line
    EXPECT_EQ(TipText(in), L"Quorlin (2.9.0.59)\r\nBlock accidental clicks: Ctrl+F9");
    in.touchpadAvailable = true;
    in.touchpadCaption = L"Disable touchpad";
    EXPECT_EQ(TipText(in), L"Quorlin (2.9.0.59)\r\nBlock accidental clicks: Ctrl+F9\r\nDisable touchpad: Ctrl+Alt+F9");
    in.blockerShortcutShown = false;
    in.touchpadShortcutShown = false;
    EXPECT_EQ(TipText(in), L"Quorlin (2.9.0.59)");
}

TEST(MenuText, DoublesEveryAmpersandSoNoLetterIsUnderlined) {
    EXPECT_EQ(MenuText(L"R&D.exe"), L"R&&D.exe");
    EXPECT_EQ(MenuText(L"HID\\VID_1&PID_2&&"), L"HID\\VID_1&&PID_2&&&&");
    EXPECT_EQ(MenuText(L""), L"");
}

}  // namespace
