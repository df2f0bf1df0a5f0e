// The touchpad hotkey of the real Quorlin.exe without the vendor's driver: it hands the switch to
// the system as Ctrl+Win+F24. Wine has no precision touchpad, so what is checked is what the
// system would see, through a low-level keyboard hook in this process, and what the user sees.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "KeyRecorder.h"
#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"

using namespace testsupport;

namespace {

bool HotkeyTaken(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 0x5A5C, modifiers, key)) return true;
    UnregisterHotKey(nullptr, 0x5A5C);
    return false;
}

// Indexes of the F24 events; this test never sends F24 itself.
std::vector<size_t> F24Events(const std::vector<KeyRecorder::Event>& events, bool up) {
    std::vector<size_t> found;
    for (size_t i = 0; i < events.size(); ++i)
        if (events[i].vk == VK_F24 && events[i].up == up) found.push_back(i);
    return found;
}

class PrecisionTouchpadEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { app_.Stop(); }
    void StartAndSettle(UINT modifiers, UINT key) {
        ASSERT_TRUE(app_.Start()) << app_.Problem();
        ASSERT_TRUE(PumpUntil([&] { return HotkeyTaken(modifiers, key); }, 5000));
    }
    // The hook sees the keys one by one: the whole combination is through once F24 went up `times`
    // times and no modifier is down any more.
    bool CombinationThrough(size_t times, DWORD ms) const {
        return PumpUntil([&] {
            const auto events = keys_.Events();
            return F24Events(events, true).size() >= times && !KeyRecorder::HeldBefore(events, events.size()).Any();
        }, ms);
    }
    static std::string Dump(const std::vector<KeyRecorder::Event>& events) {
        std::string text;
        for (const auto& e : events) text += std::to_string(e.vk) + (e.up ? "u " : "d ");
        return text;
    }
    // The last F24 press went in with exactly Ctrl and Win down.
    void ExpectCtrlWinF24() const {
        const auto events = keys_.Events();
        const auto presses = F24Events(events, false);
        ASSERT_FALSE(presses.empty());
        const size_t press = presses.back();
        EXPECT_TRUE(events[press].injected);
        const KeyRecorder::Modifiers m = KeyRecorder::HeldBefore(events, press);
        EXPECT_TRUE(m.ctrl) << Dump(events);
        EXPECT_TRUE(m.win);
        EXPECT_FALSE(m.alt);
        EXPECT_FALSE(m.shift);
        EXPECT_FALSE(KeyRecorder::HeldBefore(events, events.size()).Any()) << "a modifier was left down: " << Dump(events);
        for (int vk : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN, VK_RWIN}) EXPECT_GE(GetAsyncKeyState(vk), 0) << vk;
    }
    QuorlinProcess app_;
    KeyRecorder keys_;
};

TEST_F(PrecisionTouchpadEndToEnd, TheHotkeySendsCtrlWinF24OnceItsModifiersAreUpAndClicksStillPass) {
    WriteDword(L"TouchpadSwitch", 1);
    StartAndSettle(MOD_CONTROL | MOD_ALT, VK_F9);
    RecordingWindow window(40, 40, 200, 120);
    const POINT target = window.Center();
    SafeClick(target.x, target.y);  // the window comes to the front; its own click may be blocked or not
    WaitAfterKeys(650);

    for (WORD k : {VK_CONTROL, VK_MENU, VK_F9}) SendKey(k, false);
    SendKey(VK_F9, true);
    // The user holds the modifiers another second: nothing may go out meanwhile.
    PumpFor(1000);
    EXPECT_TRUE(F24Events(keys_.Events(), false).empty()) << "sent while the user's Ctrl and Alt were down";
    SendKey(VK_MENU, true);
    SendKey(VK_CONTROL, true);
    ASSERT_TRUE(CombinationThrough(1, 3000)) << Dump(keys_.Events());

    // Right after the program's own keys, more than the interval after F9: the click is no palm.
    window.Clear();
    Click(target.x, target.y);
    EXPECT_TRUE(PumpUntil([&] { return window.Received(WM_LBUTTONDOWN); }, 1000)) << "its own keys counted as typing";
    ExpectCtrlWinF24();
    // No touchpad reported here: the remembered state started Off.
    EXPECT_TRUE(BalloonShown(L"Touchpad device is On use \"Ctrl+Alt+F9\" to switch"));

    WaitAfterKeys(650);
    for (WORD k : {VK_CONTROL, VK_MENU, VK_F9}) SendKey(k, false);
    for (WORD k : {VK_F9, VK_MENU, VK_CONTROL}) SendKey(k, true);
    ASSERT_TRUE(CombinationThrough(2, 3000)) << Dump(keys_.Events());
    ExpectCtrlWinF24();
    EXPECT_EQ(F24Events(keys_.Events(), false).size(), 2u);
    EXPECT_TRUE(BalloonShown(L"Touchpad device is Off use \"Ctrl+Alt+F9\" to switch"));
}

TEST_F(PrecisionTouchpadEndToEnd, WithItsCheckBoxOffNeitherHotkeySendsAnything) {
    StartAndSettle(MOD_CONTROL, VK_F9);
    EXPECT_FALSE(HotkeyTaken(MOD_CONTROL | MOD_ALT, VK_F9));
    for (WORD k : {VK_CONTROL, VK_MENU, VK_F9}) SendKey(k, false);
    for (WORD k : {VK_F9, VK_MENU, VK_CONTROL}) SendKey(k, true);
    for (WORD k : {VK_CONTROL, VK_F9}) SendKey(k, false);
    for (WORD k : {VK_F9, VK_CONTROL}) SendKey(k, true);
    // The blocker's switch shows its balloon long after a combination would have gone out.
    ASSERT_TRUE(BalloonShown(L"Blocking of accidental clicks is Off use \"Ctrl+F9\" to switch"));
    EXPECT_TRUE(F24Events(keys_.Events(), false).empty());
    EXPECT_TRUE(F24Events(keys_.Events(), true).empty());
}

}  // namespace
