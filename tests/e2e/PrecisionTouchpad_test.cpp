// The touchpad hotkey of the real Quorlin.exe without the vendor's driver hands the switch to the
// system as Ctrl+Win+F24. Wine has no precision touchpad: a keyboard hook in this process checks
// what the system would see. This test never sends F24 itself.
#include <windows.h>

#include <gtest/gtest.h>

#include "KeyRecorder.h"
#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"

using namespace testsupport;

namespace {

class PrecisionTouchpadEndToEnd : public ::testing::Test {
protected:
    void SetUp() override { DeleteSettingsKey(); }
    void TearDown() override { app_.Stop(); }
    void StartAndSettle(UINT modifiers) {
        ASSERT_TRUE(app_.Start()) << app_.Problem();
        // Taken once the program has registered it; a registration of ours is given back at once.
        ASSERT_TRUE(PumpUntil([&] { return !RegisterHotKey(nullptr, 1, modifiers, VK_F9) || !UnregisterHotKey(nullptr, 1); }, 5000));
    }
    std::vector<size_t> F24Presses() const {
        std::vector<size_t> found;
        const auto events = keys_.Events();
        for (size_t i = 0; i < events.size(); ++i)
            if (events[i].vk == VK_F24 && !events[i].up) found.push_back(i);
        return found;
    }
    // Pumps until the hook has seen the `times`-th combination through (no modifier down after
    // it), then checks that its F24 went in with Ctrl and Win down, Alt and Shift up.
    void ExpectCombination(size_t times) const {
        ASSERT_TRUE(PumpUntil([&] {
            const auto events = keys_.Events();
            return F24Presses().size() >= times && !KeyRecorder::Down(events, events.size(), kModifiers);
        }, 3000)) << "no combination, or a modifier left down";
        const auto events = keys_.Events();
        const size_t press = F24Presses().back();
        EXPECT_TRUE(KeyRecorder::Down(events, press, {VK_CONTROL, VK_LCONTROL, VK_RCONTROL}));
        EXPECT_TRUE(KeyRecorder::Down(events, press, {VK_LWIN, VK_RWIN}));
        EXPECT_FALSE(KeyRecorder::Down(events, press, {VK_MENU, VK_LMENU, VK_RMENU, VK_SHIFT, VK_LSHIFT, VK_RSHIFT}));
        // The system's own key state is updated once the whole hook chain has answered for the
        // release, a moment after this process's hook saw it; a key left down never comes up.
        EXPECT_TRUE(PumpUntil([] {
            for (int vk : {VK_CONTROL, VK_MENU, VK_SHIFT, VK_LWIN})
                if (GetAsyncKeyState(vk) < 0) return false;
            return true;
        }, 2000)) << "a modifier left down in the system's key state";
    }
    static constexpr std::initializer_list<DWORD> kModifiers = {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_MENU,
        VK_LMENU, VK_RMENU, VK_SHIFT, VK_LSHIFT, VK_RSHIFT, VK_LWIN, VK_RWIN};
    QuorlinProcess app_;
    KeyRecorder keys_;
};

TEST_F(PrecisionTouchpadEndToEnd, TheHotkeySendsCtrlWinF24OnceItsModifiersAreUpAndClicksStillPass) {
    WriteDword(L"TouchpadSwitch", 1);
    StartAndSettle(MOD_CONTROL | MOD_ALT);
    RecordingWindow window(40, 40, 200, 120);
    const POINT target = window.Center();
    SafeClick(target.x, target.y);  // brings it to the front
    for (WORD k : {VK_CONTROL, VK_MENU, VK_F9}) SendKey(k, false);
    SendKey(VK_F9, true);
    PumpFor(1000);  // the user holds Ctrl and Alt another second: nothing may go out meanwhile
    EXPECT_TRUE(F24Presses().empty());
    SendKey(VK_MENU, true);
    SendKey(VK_CONTROL, true);
    ExpectCombination(1);
    // Right after the program's own keys, and long after F9: the click is no palm's.
    window.Clear();
    Click(target.x, target.y);
    EXPECT_TRUE(PumpUntil([&] { return window.Received(WM_LBUTTONDOWN); }, 1000)) << "its own keys counted as typing";

    for (WORD k : {VK_CONTROL, VK_MENU, VK_F9}) SendKey(k, false);
    for (WORD k : {VK_F9, VK_MENU, VK_CONTROL}) SendKey(k, true);
    ExpectCombination(2);
    EXPECT_EQ(F24Presses().size(), 2u);
    // Wine reports no touchpad: the remembered state started Off, and each combination flipped it.
    EXPECT_TRUE(BalloonShown(L"Touchpad device is Off use \"Ctrl+Alt+F9\" to switch"));
}

TEST_F(PrecisionTouchpadEndToEnd, WithItsCheckBoxOffNeitherHotkeySendsAnything) {
    StartAndSettle(MOD_CONTROL);
    for (WORD k : {VK_CONTROL, VK_MENU, VK_F9}) SendKey(k, false);
    for (WORD k : {VK_F9, VK_MENU, VK_CONTROL}) SendKey(k, true);
    for (WORD k : {VK_CONTROL, VK_F9}) SendKey(k, false);
    for (WORD k : {VK_F9, VK_CONTROL}) SendKey(k, true);
    // The blocker's balloon comes long after a combination would have gone out.
    ASSERT_TRUE(BalloonShown(L"Blocking of accidental clicks is Off use \"Ctrl+F9\" to switch"));
    EXPECT_TRUE(F24Presses().empty());
}

}  // namespace
