// The real input hooks in a separate process (hooklog.exe), real input from this process via SendInput.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

using namespace testsupport;

namespace {

class HooksEndToEnd : public ::testing::Test {
protected:
    void StartHookLog(int interval = 500, bool blockOther = true) {
        log_ = TempFile(L"hooklog");
        proc_ = Start(L"hooklog.exe", L"\"" + log_ + L"\" " + std::to_wstring(interval) + L" " + (blockOther ? L"1" : L"0"));
        ASSERT_TRUE(proc_.process) << "hooklog.exe did not start";
        ASSERT_TRUE(PumpUntil([&] { return Log().find("ready") != std::string::npos; }, 10000)) << Log();
    }
    void TearDown() override {
        if (HWND w = FindWindowW(L"QuorlinHookLog", nullptr)) PostMessageW(w, WM_CLOSE, 0, 0);
        if (proc_.process && proc_.Wait(5000) == STILL_ACTIVE) proc_.Kill();
    }
    std::string Log() const { return ReadFileText(log_); }
    bool Logged(const char* line) const { return Log().find(std::string(line) + "\n") != std::string::npos; }

    // A key, then a quiet moment long enough for any earlier blocking window to close is not wanted here.
    void TypeLetterThenWait(DWORD ms) {
        TypeKey('A');
        PumpFor(ms);
    }

    std::wstring log_;
    Process proc_;
    RecordingWindow window_{300, 300, 240, 160};
};

TEST_F(HooksEndToEnd, ClickSoonAfterKeyIsSwallowedAndReported) {
    StartHookLog();
    const POINT c = window_.Center();
    MoveTo(c.x, c.y);
    PumpFor(700);
    window_.Clear();

    TypeLetterThenWait(100);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    PumpFor(300);
    EXPECT_FALSE(window_.Received(WM_LBUTTONDOWN)) << "the press should have been swallowed";
    EXPECT_TRUE(window_.Received(WM_LBUTTONUP)) << "releases are never blocked";
    EXPECT_TRUE(PumpUntil([&] { return Logged("0x201"); }, 2000)) << Log();
    EXPECT_FALSE(Logged("0x202")) << Log();

    // Right and middle presses are swallowed with their own message codes.
    TypeLetterThenWait(50);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    MouseButton(MOUSEEVENTF_MIDDLEDOWN);
    MouseButton(MOUSEEVENTF_MIDDLEUP);
    PumpFor(200);
    EXPECT_FALSE(window_.Received(WM_RBUTTONDOWN));
    EXPECT_FALSE(window_.Received(WM_MBUTTONDOWN));
    EXPECT_TRUE(PumpUntil([&] { return Logged("0x204") && Logged("0x207"); }, 2000)) << Log();
}

TEST_F(HooksEndToEnd, ClickAfterTheIntervalArrives) {
    StartHookLog();
    const POINT c = window_.Center();
    MoveTo(c.x, c.y);
    PumpFor(700);
    window_.Clear();

    TypeLetterThenWait(600);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return window_.Received(WM_LBUTTONDOWN); }, 2000));
    EXPECT_FALSE(Logged("0x201")) << Log();
}

TEST_F(HooksEndToEnd, ShiftThenClickArrives) {
    StartHookLog();
    const POINT c = window_.Center();
    MoveTo(c.x, c.y);
    PumpFor(700);
    window_.Clear();

    SendKey(VK_SHIFT, false);
    PumpFor(50);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    SendKey(VK_SHIFT, true);
    EXPECT_TRUE(PumpUntil([&] { return window_.Received(WM_LBUTTONDOWN); }, 2000));
    // Ctrl and Alt do not open a blocking window either.
    window_.Clear();
    SendKey(VK_CONTROL, false);
    SendKey(VK_CONTROL, true);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return window_.Received(WM_LBUTTONDOWN); }, 2000));
    EXPECT_EQ(Log(), "ready\n");
}

TEST_F(HooksEndToEnd, MovesAndWheelAreSwallowedWhenOtherEventsAreBlocked) {
    StartHookLog(500, true);
    const POINT c = window_.Center();
    MoveTo(c.x, c.y);
    PumpFor(700);

    window_.Clear();
    TypeLetterThenWait(50);
    MoveTo(c.x + 30, c.y + 20);
    Wheel(WHEEL_DELTA);
    PumpFor(200);
    EXPECT_FALSE(window_.Received(WM_MOUSEMOVE)) << "the move should have been swallowed";
    EXPECT_FALSE(window_.Received(WM_MOUSEWHEEL));
    EXPECT_EQ(Log(), "ready\n") << "only counted presses are posted";
}

TEST_F(HooksEndToEnd, MovesAndWheelPassWhenOnlyClicksAreBlocked) {
    StartHookLog(500, false);
    const POINT c = window_.Center();
    MoveTo(c.x, c.y);
    PumpFor(700);
    window_.Clear();

    TypeLetterThenWait(50);
    MoveTo(c.x + 30, c.y + 20);
    Wheel(WHEEL_DELTA);
    PumpFor(300);
    EXPECT_TRUE(window_.Received(WM_MOUSEMOVE)) << "the move should have passed";
    EXPECT_EQ(Log(), "ready\n");
    // Clicks are still blocked.
    TypeLetterThenWait(50);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return Logged("0x201"); }, 2000)) << Log();
}

TEST_F(HooksEndToEnd, ZeroIntervalBlocksNothing) {
    StartHookLog(0, true);
    const POINT c = window_.Center();
    MoveTo(c.x, c.y);
    PumpFor(300);
    window_.Clear();
    TypeLetterThenWait(20);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return window_.Received(WM_LBUTTONDOWN); }, 2000));
    EXPECT_EQ(Log(), "ready\n");
}

}  // namespace
