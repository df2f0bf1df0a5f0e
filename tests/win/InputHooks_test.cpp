// The hook procedures and their install/remove operations, called in this process.
#include <gtest/gtest.h>

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <thread>

#include "blocker/BlockingRule.h"
#include "blocker/HookPages_win.h"
#include "blocker/InputHooks_win.h"
#include "blocker/PressLog_win.h"
#include "base/OwnInput.h"
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

// The import address slots the hook procedures call through, by the linker's names for them.
extern "C" void* const ImportGetTickCount __asm__("__imp__GetTickCount@0");
extern "C" void* const ImportCallNextHookEx __asm__("__imp__CallNextHookEx@16");
extern "C" void* const ImportPostMessageA __asm__("__imp__PostMessageA@16");

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
        BlockerState.Reset();
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
    BlockerState.LastKey.Store(7);
    Key(WM_KEYDOWN, VK_SHIFT);
    Key(WM_KEYUP, VK_LCONTROL);
    Key(WM_SYSKEYDOWN, 'A');
    Key(WM_SYSKEYUP, 'A');
    EXPECT_EQ(BlockerState.LastKey.Load(), 7u);

    const DWORD before = GetTickCount();
    EXPECT_EQ(Key(WM_KEYUP, 'A'), 0) << "keys are never swallowed";
    EXPECT_GE(*BlockerState.LastKey.Load() - before, 0u);
    EXPECT_LE(*BlockerState.LastKey.Load() - before, 1000u);
}

TEST_F(InputHooks, MouseProcSwallowsAndPostsWithinTheInterval) {
    BlockerState.LastKey.Store(GetTickCount());
    EXPECT_EQ(Mouse(WM_LBUTTONDOWN), 1);
    EXPECT_EQ(Mouse(WM_LBUTTONDBLCLK), 1);
    EXPECT_EQ(Mouse(WM_MOUSEWHEEL), 1);
    EXPECT_EQ(Mouse(WM_MOUSEMOVE), 1);
    EXPECT_NE(Mouse(WM_LBUTTONUP), 1);
    EXPECT_EQ(Mouse(WM_MBUTTONDOWN), 1);
    BlockerState.BlockOtherEvents = false;
    EXPECT_NE(Mouse(WM_MOUSEMOVE), 1);
    EXPECT_EQ((window_.TakeBlocked()), (std::vector<WPARAM>{WM_LBUTTONDOWN, WM_MBUTTONDOWN}));

    BlockerState.LastKey.Store(GetTickCount() - 600);
    EXPECT_NE(Mouse(WM_LBUTTONDOWN), 1);
    EXPECT_TRUE(window_.TakeBlocked().empty());
}

TEST_F(InputHooks, DestroyedNotifyWindowStillSwallows) {
    BlockerState.NotifyWindow = reinterpret_cast<HWND>(0x1234);
    BlockerState.LastKey.Store(GetTickCount());
    EXPECT_EQ(Mouse(WM_RBUTTONDOWN), 1);
}

TEST_F(InputHooks, HookProceduresAllocateNothing) {
    InstallHooks(window_.get());
    BlockerState.LastKey.Store(GetTickCount());
    int blocked = 0;
    const long before = g_allocations.load();
    for (int i = 0; i < 20000; ++i) {
        Key(i % 2 ? WM_KEYDOWN : WM_KEYUP, 'A' + i % 26);
        Mouse(i % 3 ? WM_MOUSEMOVE : WM_LBUTTONDOWN);
        if (i % 1000 == 0) blocked += window_.Drain();
    }
    // Real input through the installed hooks, too.
    for (int i = 0; i < 50; ++i) {
        testsupport::SendKey('B', false);
        testsupport::SendKey('B', true);
        testsupport::MouseButton(MOUSEEVENTF_MOVE);
    }
    testsupport::PumpFor(100);  // the hooks answer on their own thread meanwhile
    blocked += window_.Drain();
    const long after = g_allocations.load();
    EXPECT_EQ(after - before, 0);
    EXPECT_GT(blocked, 1000) << "the hooks should have swallowed the presses";
}

// A Ctrl released unseen (with the program's own mark, which the hooks skip) is up for the system.
TEST_F(InputHooks, AModifierReleasedUnseenTurnsNoLaterKeyIntoAShortcut) {
    BlockerState.Smart.Store({true, false});
    InstallHooks(window_.get());
    testsupport::SendKey(VK_LCONTROL, false);
    testsupport::SendKey(VK_LCONTROL, true, kOwnInputMark);
    BlockerState.LastKey.Store(7);
    testsupport::TypeKey('B');
    EXPECT_NE(BlockerState.LastKey.Load(), 7u);
}

// Put back again and again, the hooks leave no press to a hook installed before them.
std::atomic<int> g_pressesPast{0};
LRESULT CALLBACK CountPressesPast(int code, WPARAM wp, LPARAM lp) {
    g_pressesPast += code == HC_ACTION && wp == WM_LBUTTONDOWN;
    return CallNextHookEx(nullptr, code, wp, lp);
}

TEST_F(InputHooks, PuttingTheHooksBackLetsNoPressPast) {
    std::atomic<DWORD> behind{0};
    std::thread hookBehind([&] {
        const HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, CountPressesPast, GetModuleHandleW(nullptr), 0);
        MSG m;
        for (PeekMessageW(&m, nullptr, 0, 0, PM_NOREMOVE), behind = GetCurrentThreadId(); GetMessageW(&m, nullptr, 0, 0) > 0;) {
        }
        UnhookWindowsHookEx(hook);
    });
    while (!behind) Sleep(1);
    BlockerState.BlockInterval = 0x7FFFFFFF;
    BlockerState.LastKey.Store(GetTickCount());
    InstallHooks(window_.get());
    std::atomic<bool> stop{false};
    std::thread clicker([&] {
        while (!stop) testsupport::MouseButton(MOUSEEVENTF_LEFTDOWN), testsupport::MouseButton(MOUSEEVENTF_LEFTUP);
    });
    for (int i = 0; i < 300; ++i) InstallHooks(window_.get());
    stop = true;
    clicker.join();
    PostThreadMessageW(behind, WM_QUIT, 0, 0);
    hookBehind.join();
    EXPECT_EQ(g_pressesPast.load(), 0);
    EXPECT_GT(window_.Drain(), 0);
}

// The system's mouse and keyboard, placed as asked.
devices::DeviceTable Placed(bool mouseExternal, bool keyboardExternal) {
    devices::DeviceTable table;
    RAWINPUTDEVICELIST list[16];
    UINT count = 16;
    const UINT got = GetRawInputDeviceList(list, &count, sizeof *list);
    for (UINT i = 0; got != static_cast<UINT>(-1) && i < got; ++i)
        table.Add(reinterpret_cast<std::uintptr_t>(list[i].hDevice),
                  list[i].dwType == RIM_TYPEMOUSE ? mouseExternal : keyboardExternal);
    return table;
}

// Waits without pumping, so the blocked-event messages stay queued for the window to count.
template <typename Pred>
bool WaitFor(Pred pred, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!pred()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(5);
    }
    return true;
}

// Real input: the reports the raw input thread hands over tie keys and presses to the devices in
// the table, in whichever order they come.
TEST_F(InputHooks, ExternalDevicesAreToldApartByTheirRawInputWithoutAllocating) {
    InstallHooks(window_.get());
    const long before = g_allocations.load();

    SetExternalDevices(true, true, Placed(false, true));
    ASSERT_TRUE(BlockerState.IgnoreExternalMouse && BlockerState.IgnoreExternalKeyboard);
    const DWORD stamp = GetTickCount() - 100;
    BlockerState.LastKey.Store(stamp);
    testsupport::SendKey('B', false);
    testsupport::SendKey('B', true);
    testsupport::MouseButton(MOUSEEVENTF_MIDDLEDOWN);
    testsupport::MouseButton(MOUSEEVENTF_MIDDLEUP);
    // The press, built in, is swallowed; by then the key before it has been seen.
    EXPECT_TRUE(WaitFor([&] { return window_.Drain() > 0; }, 3000));
    EXPECT_EQ(BlockerState.LastKey.Load(), stamp) << "a key from an external keyboard starts nothing";

    SetExternalDevices(true, true, Placed(true, false));
    BlockerState.LastKey.Store(stamp);
    testsupport::MouseButton(MOUSEEVENTF_MOVE);  // the mouse moves, then presses
    Sleep(30);
    testsupport::MouseButton(MOUSEEVENTF_MIDDLEDOWN);
    testsupport::MouseButton(MOUSEEVENTF_MIDDLEUP);
    testsupport::SendKey('B', false);
    testsupport::SendKey('B', true);
    Sleep(30);
    testsupport::MouseButton(MOUSEEVENTF_MOVE);  // its hook takes the key's report, if still due
    EXPECT_TRUE(WaitFor([&] { return BlockerState.LastKey.Load() != stamp; }, 3000));
    EXPECT_EQ(window_.Drain(), 0) << "a press from an external mouse passes";
    EXPECT_EQ(g_allocations.load() - before, 0);

    SetExternalDevices(false, false, {});
    EXPECT_FALSE(BlockerState.IgnoreExternalMouse || BlockerState.IgnoreExternalKeyboard);
}

// ---- The hook path stays resident ----

bool Inside(const void* p, const void* begin, const void* end) {
    return static_cast<const char*>(p) >= static_cast<const char*>(begin) &&
           static_cast<const char*>(p) < static_cast<const char*>(end);
}

std::ptrdiff_t Span(const void* begin, const void* end) {
    return static_cast<const char*>(end) - static_cast<const char*>(begin);
}

// Installing the hooks locks the pages; the ranges say where they are. (Wine carries VirtualLock
// out with mlock; bench/run.py reads Quorlin's locked memory, VmLck, from /proc.)
TEST(HookPages, LockedRangesCoverBothProceduresAndTheBlockerState) {
    InstallHooks(nullptr);
    UninstallHooks();
    const HookPages pages = LockHookPages();
    EXPECT_TRUE(pages.Locked) << "VirtualLock error " << GetLastError();

    // The code: both procedures, whole (the end marker follows the later one), on a page or two.
    const void* keyboard = reinterpret_cast<const void*>(&KeyboardHookProc);
    const void* mouse = reinterpret_cast<const void*>(&MouseHookProc);
    EXPECT_TRUE(Inside(keyboard, pages.CodeBegin, pages.CodeEnd));
    EXPECT_TRUE(Inside(mouse, pages.CodeBegin, pages.CodeEnd));
    EXPECT_GT(Span(pages.CodeBegin, pages.CodeEnd), 0);
    EXPECT_LE(Span(pages.CodeBegin, pages.CodeEnd), 2 * 4096) << "the hook code is not kept together";

    // The state: the whole record, and the Activity window's press ring beside it (3 KB of it).
    EXPECT_TRUE(Inside(&BlockerState, pages.DataBegin, pages.DataEnd));
    EXPECT_TRUE(Inside(reinterpret_cast<const char*>(&BlockerState + 1) - 1, pages.DataBegin, pages.DataEnd));
    EXPECT_TRUE(Inside(&PressLog, pages.DataBegin, pages.DataEnd));
    EXPECT_TRUE(Inside(reinterpret_cast<const char*>(&PressLog + 1) - 1, pages.DataBegin, pages.DataEnd));
    EXPECT_LE(Span(pages.DataBegin, pages.DataEnd), 2 * 4096);

    // The addresses of the system calls the procedures make.
    for (const void* slot : {static_cast<const void*>(&ImportGetTickCount), static_cast<const void*>(&ImportCallNextHookEx),
                             static_cast<const void*>(&ImportPostMessageA)})
        EXPECT_TRUE(Inside(slot, pages.ImportsBegin, pages.ImportsEnd)) << slot;

    // A second call reports the same ranges.
    const HookPages again = LockHookPages();
    EXPECT_EQ(again.CodeBegin, pages.CodeBegin);
    EXPECT_EQ(again.DataEnd, pages.DataEnd);
}

}  // namespace
