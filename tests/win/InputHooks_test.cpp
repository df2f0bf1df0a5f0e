// The hook procedures and their install/remove operations, called in this process.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "blocker/BlockingRule.h"
#include "blocker/InputHooks_win.h"
#include "TestSupport.h"

using namespace quorlin;

// Counts every C++ allocation of this test process, to prove the hook path makes none.
static std::atomic<long> g_allocations{0};
void* operator new(std::size_t n) {
    ++g_allocations;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

class MessageWindow {
public:
    MessageWindow() : hwnd_(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr)) {}
    HWND get() const { return hwnd_.get(); }
    // Removes and returns the wParam of every WM_BLOCKED_EVENT waiting for this window.
    std::vector<WPARAM> TakeBlocked() {
        std::vector<WPARAM> out;
        MSG m;
        while (PeekMessageW(&m, hwnd_.get(), WM_BLOCKED_EVENT, WM_BLOCKED_EVENT, PM_REMOVE)) out.push_back(m.wParam);
        return out;
    }

    // Empties the queue without allocating; returns how many were waiting.
    int Drain() {
        int n = 0;
        MSG m;
        while (PeekMessageW(&m, hwnd_.get(), WM_BLOCKED_EVENT, WM_BLOCKED_EVENT, PM_REMOVE)) ++n;
        return n;
    }

private:
    UniqueWindow hwnd_;
};

LRESULT Key(UINT msg, DWORD vk) {
    KBDLLHOOKSTRUCT k{};
    k.vkCode = vk;
    return KeyboardHookProc(HC_ACTION, msg, reinterpret_cast<LPARAM>(&k));
}

LRESULT Mouse(UINT msg) {
    MSLLHOOKSTRUCT m{};
    return MouseHookProc(HC_ACTION, msg, reinterpret_cast<LPARAM>(&m));
}

class InputHooks : public ::testing::Test {
protected:
    void SetUp() override {
        BlockerState = BlockerStateRecord{};
        BlockerState.NotifyWindow = window_.get();
    }
    void TearDown() override { UninstallHooks(); }
    MessageWindow window_;
};

TEST_F(InputHooks, UninstallBeforeInstallAndTwiceIsHarmless) {
    UninstallHooks();
    UninstallHooks();
    EXPECT_EQ(BlockerState.KeyboardHook, nullptr);
    EXPECT_EQ(BlockerState.MouseHook, nullptr);

    InstallHooks(window_.get());
    EXPECT_NE(BlockerState.KeyboardHook, nullptr);
    EXPECT_NE(BlockerState.MouseHook, nullptr);
    EXPECT_EQ(BlockerState.NotifyWindow, window_.get());
    UninstallHooks();
    UninstallHooks();
    EXPECT_EQ(BlockerState.KeyboardHook, nullptr);
    EXPECT_EQ(BlockerState.MouseHook, nullptr);
}

TEST_F(InputHooks, InstallTwiceReplacesTheHooks) {
    MessageWindow other;
    InstallHooks(window_.get());
    InstallHooks(other.get());
    EXPECT_EQ(BlockerState.NotifyWindow, other.get());
    EXPECT_NE(BlockerState.KeyboardHook, nullptr);
    EXPECT_NE(BlockerState.MouseHook, nullptr);
}

TEST_F(InputHooks, KeyboardProcStampsOnlyCountingKeys) {
    BlockerState.LastKeyTick = 7;
    Key(WM_KEYDOWN, VK_SHIFT);
    Key(WM_KEYUP, VK_LCONTROL);
    Key(WM_SYSKEYDOWN, 'A');
    Key(WM_SYSKEYUP, 'A');
    EXPECT_EQ(BlockerState.LastKeyTick, 7u);

    const DWORD before = GetTickCount();
    EXPECT_EQ(Key(WM_KEYUP, 'A'), 0) << "keys are never swallowed";
    EXPECT_GE(BlockerState.LastKeyTick - before, 0u);
    EXPECT_LE(BlockerState.LastKeyTick - before, 1000u);
}

TEST_F(InputHooks, MouseProcSwallowsAndPostsWithinTheInterval) {
    BlockerState.LastKeyTick = GetTickCount();
    EXPECT_EQ(Mouse(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(Mouse(WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(Mouse(WM_MOUSEWHEEL), 1);
    EXPECT_NE(Mouse(WM_LBUTTONUP), 1);
    BlockerState.BlockOtherEvents = false;
    EXPECT_NE(Mouse(WM_MOUSEMOVE), 1);
    EXPECT_EQ((window_.TakeBlocked()), (std::vector<WPARAM>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_MOUSEWHEEL}));

    BlockerState.LastKeyTick = GetTickCount() - 600;
    EXPECT_NE(Mouse(WM_LBUTTONDOWN), 1);
    EXPECT_TRUE(window_.TakeBlocked().empty());
}

TEST_F(InputHooks, DestroyedNotifyWindowStillSwallows) {
    BlockerState.NotifyWindow = reinterpret_cast<HWND>(0x1234);
    BlockerState.LastKeyTick = GetTickCount();
    EXPECT_EQ(Mouse(WM_RBUTTONDOWN), 1);
}

TEST_F(InputHooks, HookProceduresAllocateNothing) {
    InstallHooks(window_.get());
    BlockerState.LastKeyTick = GetTickCount();
    int blocked = 0;
    const long before = g_allocations.load();
    for (int i = 0; i < 20000; ++i) {
        Key(i % 2 ? WM_KEYDOWN : WM_KEYUP, 'A' + i % 26);
        Mouse(i % 3 ? WM_MOUSEMOVE : WM_LBUTTONDOWN);
        if (i % 1000 == 0) blocked += window_.Drain();
    }
    // Real input through the installed hooks of this thread, too.
    for (int i = 0; i < 50; ++i) {
        testsupport::SendKey('B', false);
        testsupport::SendKey('B', true);
        testsupport::MouseButton(MOUSEEVENTF_MOVE);
    }
    testsupport::PumpFor(100);  // the hooks of this thread run while it retrieves messages
    blocked += window_.Drain();
    const long after = g_allocations.load();
    EXPECT_EQ(after - before, 0);
    EXPECT_GT(blocked, 1000) << "the hooks should have swallowed the presses";
}

}  // namespace
