#include "blocker/InputHooks_win.h"

#include "blocker/BlockingRule.h"
#include "blocker/HookPages_win.h"
#include "base/OwnInput.h"

#include <optional>

#include "base/Unique_win.h"

namespace quorlin {

QUORLIN_HOOK_DATA BlockerStateRecord BlockerState;

namespace {

// Releases the hook never saw (while it was out, or on another desktop) would leave keys held for
// good; the system's own view of the keyboard settles them.
void ForgetReleasedKeys() {
    for (std::uint32_t vk = 1; vk < 256; ++vk)
        if (BlockerState.Keys.Down.Has(vk) && GetAsyncKeyState(static_cast<int>(vk)) >= 0)
            rule::ForgetKey(BlockerState.Keys, vk);
}

void RemoveHooks() {
    // Cleared after unhooking, so a repeated call can never hit a handle value the system reused.
    if (BlockerState.MouseHook) UnhookWindowsHookEx(BlockerState.MouseHook);
    if (BlockerState.KeyboardHook) UnhookWindowsHookEx(BlockerState.KeyboardHook);
    BlockerState.MouseHook = nullptr;
    BlockerState.KeyboardHook = nullptr;
}

void PutHooks(HWND window) {
    RemoveHooks();
    ForgetReleasedKeys();
    BlockerState.NotifyWindow = window;
    const HINSTANCE module = GetModuleHandleW(nullptr);
    // A failed installation leaves a null handle; the minutes timer tries again later.
    BlockerState.KeyboardHook = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHookProc, module, 0);
    BlockerState.MouseHook = SetWindowsHookExA(WH_MOUSE_LL, MouseHookProc, module, 0);
}

enum class Job : WPARAM { Install, Uninstall, Settle };

void Do(Job job, HWND window) {
    switch (job) {
    case Job::Install: PutHooks(window); break;
    case Job::Uninstall: RemoveHooks(); break;
    case Job::Settle: ForgetReleasedKeys(); break;
    }
}

constexpr UINT kWmHookJob = WM_APP + 0x40;
// Committed at creation, so the part of the stack the hooks run on can be locked like their code.
constexpr SIZE_T kStackCommit = 64 * 1024;
constexpr SIZE_T kStackLocked = 16 * 1024;

// The thread the low-level hooks are installed from, and so the one they are called on. It only
// takes messages; the GUI thread hands it a job and waits the moment it takes.
class HookThread {
public:
    HookThread() {
        done_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!done_) return;
        thread_.reset(CreateThread(nullptr, kStackCommit, &HookThread::Main, this, 0, &id_));
        if (thread_) WaitForSingleObject(done_.get(), INFINITE);  // until its queue exists
    }
    ~HookThread() {
        if (!thread_) return;
        PostThreadMessageW(id_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    HookThread(const HookThread&) = delete;
    HookThread& operator=(const HookThread&) = delete;

    void Run(Job job, HWND window) {
        // Without a thread of their own the hooks live on the caller's, as a last resort.
        if (!thread_ || !PostThreadMessageW(id_, kWmHookJob, static_cast<WPARAM>(job), reinterpret_cast<LPARAM>(window))) {
            Do(job, window);
            return;
        }
        WaitForSingleObject(done_.get(), INFINITE);
    }

private:
    static DWORD WINAPI Main(void* param) {
        auto& self = *static_cast<HookThread*>(param);
        // Input waits for this thread: ahead of the program's other work, and its stack resident.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        volatile char top = 0;
        const auto below = reinterpret_cast<std::uintptr_t>(&top) - kStackLocked;
        VirtualLock(reinterpret_cast<void*>(below), kStackLocked);
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
        SetEvent(self.done_.get());
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (msg.hwnd == nullptr && msg.message == kWmHookJob) {
                Do(static_cast<Job>(msg.wParam), reinterpret_cast<HWND>(msg.lParam));
                SetEvent(self.done_.get());
            } else {
                DispatchMessageW(&msg);
            }
        }
        RemoveHooks();
        return 0;
    }

    UniqueHandle done_;
    UniqueHandle thread_;
    DWORD id_ = 0;
};

std::optional<HookThread>& TheHookThread() {
    static std::optional<HookThread> thread;
    return thread;
}

}  // namespace

void BlockerStateRecord::Reset() noexcept {
    LastKeyTick = 0;
    BlockInterval = 500;
    BlockOtherEvents = true;
    NotifyWindow = nullptr;
    Smart.Store({});
    FullScreenPause = false;
    FullScreen = nullptr;
    Keys = {};
}

void InstallHooks(HWND window) {
    LockHookPages();
    auto& thread = TheHookThread();
    if (!thread) thread.emplace();
    thread->Run(Job::Install, window);
}

void UninstallHooks() {
    if (auto& thread = TheHookThread())
        thread->Run(Job::Uninstall, nullptr);
    else
        RemoveHooks();
}

void SettleHeldKeys() {
    if (auto& thread = TheHookThread())
        thread->Run(Job::Settle, nullptr);
    else
        ForgetReleasedKeys();
}

void EndHookThread() { TheHookThread().reset(); }

// Both procedures run for every input event of the desktop: a tick read, a few comparisons and
// bit operations, no allocation, no I/O.
QUORLIN_HOOK_CODE LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const rule::SmartOptions smart = BlockerState.Smart.Load();
        // The program's own keys (the touchpad combination) are no typing, not even held keys.
        if (!IsOwnInput(info->dwExtraInfo) &&
            rule::KeyStartsInterval(BlockerState.Keys, nCode, wParam, info->vkCode, (info->flags & LLKHF_EXTENDED) != 0,
                                    smart, BlockerState.FullScreenPause.load(std::memory_order_relaxed)))
            BlockerState.LastKeyTick.store(GetTickCount(), std::memory_order_relaxed);
    }
    return CallNextHookEx(BlockerState.KeyboardHook, nCode, wParam, lParam);
}

QUORLIN_HOOK_CODE LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    constexpr auto relaxed = std::memory_order_relaxed;
    if (rule::ShouldBlockMouse(nCode, wParam, BlockerState.BlockOtherEvents.load(relaxed), GetTickCount(),
                               BlockerState.LastKeyTick.load(relaxed), BlockerState.BlockInterval.load(relaxed),
                               BlockerState.FullScreenPause.load(relaxed))) {
        PostMessageA(BlockerState.NotifyWindow.load(relaxed), WM_BLOCKED_EVENT, wParam, 0);
        return 1;
    }
    return CallNextHookEx(BlockerState.MouseHook, nCode, wParam, lParam);
}

}  // namespace quorlin
