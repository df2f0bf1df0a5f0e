// The two system-wide shortcuts of the real Quorlin.exe, seen from another process: when the
// hotkeys are taken, what pressing them does, capturing a new one in the settings window, and a
// shortcut that another program already holds.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"

using namespace testsupport;

namespace {

const std::wstring kBlockerGroup = L"Block accidental taps and clicks";
const std::wstring kBlockerSwitch = L"Turn blocker On and Off ";
const std::wstring kTipBlockerLine = L"Block accidental clicks: Ctrl+F9";

void PressChord(std::initializer_list<WORD> keys) {
    WaitAfterKeys(650);
    for (WORD k : keys) SendKey(k, false);
    for (auto it = std::rbegin(keys); it != std::rend(keys); ++it) SendKey(*it, true);
    TypeKeyNoted(VK_SHIFT);  // notes the time, so a later click waits the blocking interval out
}

// The system's own name of a key, as the settings window shows it while the key is held.
std::wstring SystemKeyName(UINT vk) {
    char name[64] = {};
    GetKeyNameTextA(static_cast<LONG>(MapVirtualKeyA(vk, 0) << 16), name, 64);
    return std::wstring(name, name + lstrlenA(name));
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

// Pure red text pixels in the window (the mark of a shortcut the system refused).
int RedPixels(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    int red = 0;
    for (COLORREF c : ScreenPixels(r))
        if (GetRValue(c) > 180 && GetGValue(c) < 90 && GetBValue(c) < 90) ++red;
    return red;
}

class ShortcutsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { app_.Stop(); }
    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }
    HWND BlockerEdit() const { return FindChildStartingWith(app_.Window(), L"Edit", L""); }
    bool TipHas(const std::wstring& line) const { return app_.TrayTip().find(line) != std::wstring::npos; }
    // Whether this process could take the hotkey, i.e. nobody holds it. Another holder answers 1409.
    bool HotkeyFree(UINT modifiers, UINT key) const {
        if (app_.HotkeyFree(modifiers, key)) return true;
        EXPECT_EQ(GetLastError(), 1409u);
        return false;
    }
    QuorlinProcess app_;
};

TEST_F(ShortcutsEndToEnd, BlockerHotkeyIsTakenAfterStartUpAndSwitchesWithBalloon) {
    const DWORD launched = GetTickCount();
    StartApp();
    // The run-once timer takes the hotkeys 1.5 s after start; a slow start may already be past it.
    if (GetTickCount() - launched < 1000) EXPECT_TRUE(HotkeyFree(MOD_CONTROL, VK_F9)) << "taken too early";
    ASSERT_TRUE(PumpUntil([&] { return !HotkeyFree(MOD_CONTROL, VK_F9); }, 5000)) << "Ctrl+F9 never taken";
    EXPECT_TRUE(HotkeyFree(MOD_CONTROL | MOD_ALT, VK_F9)) << "the touchpad shortcut is off by default";

    HWND blocker = FindCheckBox(app_.Window(), kBlockerGroup);
    ASSERT_TRUE(blocker);
    MoveTo(900, 600);
    PumpFor(200);
    const auto iconOn = ScreenPixels(app_.TrayIconRect());
    PressChord({VK_CONTROL, VK_F9});
    EXPECT_TRUE(PumpUntil([&] { return !IsChecked(blocker); }, 3000)) << "the hotkey did not switch";
    EXPECT_TRUE(BalloonShown(L"Blocking of accidental clicks is Off use \"Ctrl+F9\" to switch"));
    EXPECT_NE(ScreenPixels(app_.TrayIconRect()), iconOn) << "the tray icon did not change";
}

TEST_F(ShortcutsEndToEnd, ClearingTheBlockerShortcutFreesItAtOnceAndKeepsItsText) {
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return !HotkeyFree(MOD_CONTROL, VK_F9); }, 5000));
    HWND box = FindCheckBox(app_.Window(), kBlockerSwitch);
    ASSERT_TRUE(box);
    SafeClickWindow(box);
    EXPECT_TRUE(PumpUntil([&] { return HotkeyFree(MOD_CONTROL, VK_F9); }, 1000)) << "still held";
    EXPECT_FALSE(IsWindowEnabled(BlockerEdit()));
    EXPECT_EQ(TextOf(BlockerEdit()), L"Ctrl+F9");
    app_.Stop();
    EXPECT_EQ(ReadDword(L"BlockerSwitch"), 0u);
    EXPECT_EQ(ReadText(L"BlockerShortcut"), L"Ctrl+F9");
}

TEST_F(ShortcutsEndToEnd, NewShortcutIsCapturedInTheEditTakenAndSaved) {
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return !HotkeyFree(MOD_CONTROL, VK_F9); }, 5000));
    HWND edit = BlockerEdit();
    ASSERT_TRUE(edit);
    SafeClickWindow(edit);
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(edit) == edit; }, 2000)) << "the edit has no focus";

    SendKey(VK_CONTROL, false);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(edit) == SystemKeyName(VK_CONTROL); }, 2000)) << "shows " << TextOf(edit).size();
    SendKey(VK_F5, false);
    SendKey(VK_F5, true);
    PumpFor(300);  // as a hand does: the modifier goes after the key (a loaded Wine may reorder them)
    SendKey(VK_CONTROL, true);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(edit) == L"Ctrl+F5"; }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return !HotkeyFree(MOD_CONTROL, VK_F5); }, 2000)) << "Ctrl+F5 not taken";
    EXPECT_TRUE(HotkeyFree(MOD_CONTROL, VK_F9)) << "the old shortcut is still held";

    TypeKeyNoted(VK_BACK);
    TypeKeyNoted(VK_DELETE);
    PumpFor(300);
    EXPECT_EQ(TextOf(edit), L"Ctrl+F5");
    TypeKeyNoted(VK_TAB);
    EXPECT_TRUE(PumpUntil([&] { return FocusOf(edit) != edit; }, 2000)) << "Tab did not move on";
    EXPECT_EQ(TextOf(edit), L"Ctrl+F5");

    app_.Stop();
    EXPECT_EQ(ReadText(L"BlockerShortcut"), L"Ctrl+F5");
}

TEST_F(ShortcutsEndToEnd, TypingKeysAreRefusedInTheCaptureWhileAFunctionKeyIsTaken) {
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return !HotkeyFree(MOD_CONTROL, VK_F9); }, 5000));
    HWND edit = BlockerEdit();
    ASSERT_TRUE(edit);
    SafeClickWindow(edit);
    ASSERT_TRUE(PumpUntil([&] { return FocusOf(edit) == edit; }, 2000)) << "the edit has no focus";

    for (WORD key : {WORD(VK_RETURN), WORD('A')}) {
        TypeKeyNoted(key);
        PumpFor(300);
        EXPECT_EQ(TextOf(edit), L"Ctrl+F9") << "key " << key;
        EXPECT_TRUE(HotkeyFree(0, key)) << "key " << key << " taken system-wide";
        EXPECT_FALSE(HotkeyFree(MOD_CONTROL, VK_F9)) << "key " << key << " dropped the shortcut";
    }
    TypeKeyNoted(VK_F6);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(edit) == L"F6"; }, 2000)) << "F6 not shown";
    EXPECT_TRUE(PumpUntil([&] { return !HotkeyFree(0, VK_F6); }, 2000)) << "F6 not taken";
    EXPECT_TRUE(HotkeyFree(MOD_CONTROL, VK_F9)) << "the old shortcut is still held";
}

TEST_F(ShortcutsEndToEnd, ShortcutHeldByAnotherProgramIsMarkedAndNotOfferedUntilItIsFree) {
    ASSERT_TRUE(RegisterHotKey(nullptr, 7, MOD_CONTROL, VK_F9));
    StartApp();
    EXPECT_TRUE(TipHas(kTipBlockerLine)) << "before the first registration nothing changes";
    ASSERT_TRUE(PumpUntil([&] { return !TipHas(kTipBlockerLine); }, 5000)) << "the tip still offers Ctrl+F9";
    HWND edit = BlockerEdit();
    EXPECT_TRUE(PumpUntil([&] { return RedPixels(edit) > 5; }, 2000)) << "the edit is not marked";

    HWND blocker = FindCheckBox(app_.Window(), kBlockerGroup);
    SafeClickWindow(blocker);
    EXPECT_TRUE(BalloonShown(L"Blocking of accidental clicks is Off"));

    // Once the other program lets go, the next change takes the shortcut and the marks go.
    UnregisterHotKey(nullptr, 7);
    HWND box = FindCheckBox(app_.Window(), kBlockerSwitch);
    SafeClickWindow(box);
    SafeClickWindow(box);
    EXPECT_TRUE(PumpUntil([&] { return !HotkeyFree(MOD_CONTROL, VK_F9); }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return TipHas(kTipBlockerLine); }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return RedPixels(edit) == 0; }, 2000));
}

TEST_F(ShortcutsEndToEnd, WithoutTouchpadDeviceItsControlsAreGreyedYetItsHotkeySwitches) {
    WriteDword(L"TouchpadSwitch", 1);
    StartApp();
    ASSERT_TRUE(PumpUntil([&] { return !HotkeyFree(MOD_CONTROL | MOD_ALT, VK_F9); }, 5000));
    EXPECT_EQ(app_.TrayTip().find(L"touchpad"), std::wstring::npos) << "a tip line without a device";
    HWND box = FindCheckBox(app_.Window(), L"Enable/Disable touchpad *");
    ASSERT_TRUE(box);
    EXPECT_FALSE(IsWindowEnabled(box));
    EXPECT_FALSE(IsWindowEnabled(FindChild(app_.Window(), L"Static", L"* Synaptics and Windows precision touchpads")));
    PressChord({VK_CONTROL, VK_MENU, VK_F9});
    EXPECT_TRUE(BalloonShown(L"Touchpad device is On use \"Ctrl+Alt+F9\" to switch"));
}

// A typing key stored by hand or by an older version (the old value name too) is not taken
// system-wide: it is shown as a shortcut that could not be taken, and left to the programs.
TEST_F(ShortcutsEndToEnd, StoredTypingKeysAreNotTakenAndShownAsTaken) {
    WriteText(L"Shortcut", L"A");
    WriteDword(L"TouchpadSwitch", 1);
    WriteText(L"TouchpadShortcut", L"Enter");
    StartApp();
    HWND edit = BlockerEdit();
    ASSERT_TRUE(PumpUntil([&] { return RedPixels(edit) > 5; }, 5000)) << "the stored A is not marked";
    EXPECT_EQ(TextOf(edit), L"A");
    EXPECT_TRUE(HotkeyFree(0, 'A'));
    EXPECT_TRUE(HotkeyFree(0, VK_RETURN));
    EXPECT_FALSE(TipHas(L"Block accidental clicks: A"));
}

}  // namespace
