// The real Quorlin.exe when something goes wrong around it: it is killed outright, its GUI
// thread stalls while input goes on, or another program posts messages to its threads. (Wine's TerminateProcess ends the process with SIGKILL, as
// kill -9 would.)
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "QuorlinProcess.h"
#include "TestSupport.h"

using namespace testsupport;

namespace {

class FaultsEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        WriteDword(L"Balloons", 0);  // nothing over the windows the presses aim at
    }
    void TearDown() override { app_.Stop(); }
    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }

    // Types a letter over the target, presses delayMs later; true when the press arrived. The
    // release always arrives, so the press is judged once the release is there.
    bool PressArrivesAfterKey(DWORD delayMs) {
        if (!target_) target_ = std::make_unique<RecordingWindow>(20, 20, 240, 160);
        SetForegroundWindow(target_->hwnd());
        PlacePointer(target_->Center().x, target_->Center().y);
        PumpFor(100);
        target_->Clear();
        TypeKeyNoted('A');
        PumpFor(delayMs);
        PressAndReleaseAt(target_->Center().x, target_->Center().y);
        EXPECT_TRUE(PumpUntil([&] { return target_->Received(WM_LBUTTONUP); }, 12000));
        return target_->Received(WM_LBUTTONDOWN);
    }

    QuorlinProcess app_;
    std::unique_ptr<RecordingWindow> target_;
};

}  // namespace

TEST_F(FaultsEndToEnd, AKilledInstanceLeavesNothingInTheWayOfTheNextStart) {
    StartApp();
    const DWORD first = app_.Pid();
    app_.Kill();
    ASSERT_NE(app_.WaitExit(5000), STILL_ACTIVE);
    StartApp();
    EXPECT_NE(app_.Pid(), first);
    EXPECT_EQ(TopLevelWindows(app_.Pid(), L"TfrmMain").size(), 1u);
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "the new instance blocks";
}

TEST_F(FaultsEndToEnd, AfterAStalledGuiThreadTheMinutesTickLeavesTheHooksWorking) {
    StartApp();
    ASSERT_FALSE(PressArrivesAfterKey(100));

    // The GUI thread stops for eight seconds while the user goes on. Windows would skip the
    // hooks after its time-out and in the end remove them; Wine has neither and holds the input
    // until the thread runs again, so all that shows here is the input arriving after the stall.
    const DWORD thread = GetWindowThreadProcessId(app_.Window(), nullptr);
    quorlin::UniqueHandle gui(OpenThread(THREAD_SUSPEND_RESUME, FALSE, thread));
    ASSERT_TRUE(gui);
    ASSERT_NE(SuspendThread(gui.get()), static_cast<DWORD>(-1));
    std::thread resume([&] {
        Sleep(8000);
        ResumeThread(gui.get());
    });
    const DWORD before = GetTickCount();
    target_->Clear();
    TypeKeyNoted('A');
    PressAndReleaseAt(target_->Center().x, target_->Center().y);
    const bool arrived = PumpUntil([&] { return target_->Received(WM_LBUTTONUP); }, 12000);
    const DWORD latency = GetTickCount() - before;
    resume.join();
    std::printf("during the stall: release %s after %lu ms\n", arrived ? "arrived" : "lost", latency);
    EXPECT_TRUE(app_.Running());

    // A second start runs the minutes tick at once; it puts the hooks back whatever the system did.
    QuorlinProcess second;
    second.Launch();
    ASSERT_NE(second.WaitExit(10000), STILL_ACTIVE);
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "a press soon after a key is swallowed again";
    EXPECT_TRUE(PressArrivesAfterKey(700)) << "a press after the interval arrives";
    EXPECT_TRUE(app_.Running());
}

// Thread messages any program may post, with values a job or a pointer could have, change nothing.
TEST_F(FaultsEndToEnd, ThreadMessagesFromAnotherProgramChangeNothing) {
    StartApp();
    quorlin::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{sizeof entry};
    for (BOOL more = Thread32First(snapshot.get(), &entry); more; more = Thread32Next(snapshot.get(), &entry))
        for (UINT msg = WM_APP; entry.th32OwnerProcessID == app_.Pid() && msg <= WM_APP + 0xFF; ++msg)
            for (WPARAM wp : {0, 1, 2, 3, 4, 0x40}) PostThreadMessageW(entry.th32ThreadID, msg, wp, 1);
    PumpFor(1000);
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "a press soon after a key is still swallowed";
    EXPECT_TRUE(PressArrivesAfterKey(700));
    EXPECT_TRUE(app_.Running());
}
