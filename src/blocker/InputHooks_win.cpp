#include "blocker/InputHooks_win.h"

#include "blocker/BlockingRule.h"
#include "blocker/HookPages_win.h"
#include "base/OwnInput.h"
#include "blocker/RawInput_win.h"

#include <optional>

#include "base/Unique_win.h"

namespace quorlin {

QUORLIN_HOOK_DATA BlockerStateRecord BlockerState;

namespace {

// Which device each hook event came from, while an option asks: the hook thread's alone.
QUORLIN_HOOK_DATA devices::DeviceDecider Devices;

// Takes the reports that have arrived, before an event of that kind, part and time is decided.
// The test build that imitates the order of reports reported for Windows (where an event's own
// report comes only after its low-level hooks) leaves that event's report for after the decision.
QUORLIN_HOOK_CODE void TakeReports([[maybe_unused]] devices::Kind kind, [[maybe_unused]] std::uint32_t part,
                                   [[maybe_unused]] DWORD time) {
    while (const devices::RawEvent* report = RawReports.Peek()) {
#ifdef QUORLIN_REPORTS_AFTER_HOOKS
        if (devices::IsReportOf(*report, kind, part, time)) return;
#endif
        Devices.Report(*report);
        RawReports.Pop();
    }
}

// Keys settled as built in: the interval starts at a key's own time, if that is the newest.
QUORLIN_HOOK_CODE void ApplySettledKeys() {
    std::uint32_t lastKey = BlockerState.LastKeyTick.load(std::memory_order_relaxed);
    Devices.Settle(lastKey);
    BlockerState.LastKeyTick.store(lastKey, std::memory_order_relaxed);
}

#ifdef QUORLIN_REPORTS_AFTER_HOOKS
// In that test build, the report left for after the decision.
QUORLIN_HOOK_CODE void TakeHeldReport() {
    while (const devices::RawEvent* report = RawReports.Peek()) {
        Devices.Report(*report);
        RawReports.Pop();
    }
    ApplySettledKeys();
}
#endif

struct DevicesJob {
    bool Mouse;
    bool Keyboard;
    const devices::DeviceTable* Table;
};

// The options turn on only for the kinds whose raw input is registered, so a refusal leaves the
// blocker as it was; reports from before are dropped.
void ApplyDevices(const DevicesJob& job) {
    Devices.Table = *job.Table;
    Devices.Reset();
    RawReports.Clear();
    BlockerState.IgnoreExternalMouse = job.Mouse;
    BlockerState.IgnoreExternalKeyboard = job.Keyboard;
}

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

enum class Job : WPARAM { Install, Uninstall, Settle, Devices };

void Do(Job job, LPARAM param) {
    switch (job) {
    case Job::Install: PutHooks(reinterpret_cast<HWND>(param)); break;
    case Job::Uninstall: RemoveHooks(); break;
    case Job::Settle: ForgetReleasedKeys(); break;
    case Job::Devices: ApplyDevices(*reinterpret_cast<const DevicesJob*>(param)); break;
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

    void Run(Job job, LPARAM param) {
        // Without a thread of their own the hooks live on the caller's, as a last resort.
        if (!thread_ || !PostThreadMessageW(id_, kWmHookJob, static_cast<WPARAM>(job), param)) {
            Do(job, param);
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
                Do(static_cast<Job>(msg.wParam), msg.lParam);
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

HookThread& StartedHookThread() {
    auto& thread = TheHookThread();
    if (!thread) thread.emplace();
    return *thread;
}

}  // namespace

void BlockerStateRecord::Reset() noexcept {
    LastKeyTick = 0;
    BlockInterval = 500;
    BlockOtherEvents = true;
    NotifyWindow = nullptr;
    Smart.Store({});
    FullScreenPause = false;
    IgnoreExternalMouse = false;
    IgnoreExternalKeyboard = false;
    FullScreen = nullptr;
    Keys = {};
}

void InstallHooks(HWND window) {
    LockHookPages();
    StartedHookThread().Run(Job::Install, reinterpret_cast<LPARAM>(window));
}

void UninstallHooks() {
    if (auto& thread = TheHookThread())
        thread->Run(Job::Uninstall, 0);
    else
        RemoveHooks();
}

void SettleHeldKeys() {
    if (auto& thread = TheHookThread())
        thread->Run(Job::Settle, 0);
    else
        ForgetReleasedKeys();
}

void SetExternalDevices(bool ignoreMouse, bool ignoreKeyboard, const devices::DeviceTable& table) {
    const RawKinds registered = SetRawInput(ignoreMouse, ignoreKeyboard);
    // Nothing to take down while no thread ever took anything up.
    if (!ignoreMouse && !ignoreKeyboard && !TheHookThread()) return;
    const DevicesJob job{ignoreMouse && registered.Mouse, ignoreKeyboard && registered.Keyboard, &table};
    StartedHookThread().Run(Job::Devices, reinterpret_cast<LPARAM>(&job));
}

void EndHookThread() {
    SetRawInput(false, false);
    TheHookThread().reset();
}

// Both procedures run for every input event of the desktop: a tick read, a few comparisons and
// bit operations, no allocation, no I/O.
QUORLIN_HOOK_CODE LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION) {
        constexpr auto relaxed = std::memory_order_relaxed;
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const rule::SmartOptions smart = BlockerState.Smart.Load();
        const DWORD now = GetTickCount();
        // The program's own keys (the touchpad combination) are no typing, not even held keys.
        const bool starts =
            !IsOwnInput(info->dwExtraInfo) &&
            rule::KeyStartsInterval(BlockerState.Keys, nCode, wParam, info->vkCode, (info->flags & LLKHF_EXTENDED) != 0,
                                    smart, BlockerState.FullScreenPause.load(relaxed));
        if (BlockerState.IgnoreExternalKeyboard.load(relaxed)) {
            // Every key takes its place in the order its reports come in; an external one starts nothing.
            const std::uint32_t part = devices::KeyPart(info->vkCode, (info->flags & LLKHF_UP) != 0);
            TakeReports(devices::Kind::Keyboard, part, info->time);
            Devices.Expire(now);
            if (Devices.Key(part, now, starts) == devices::DeviceDecider::KeyFrom::BuiltIn && starts)
                BlockerState.LastKeyTick.store(now, relaxed);
            ApplySettledKeys();
#ifdef QUORLIN_REPORTS_AFTER_HOOKS
            TakeHeldReport();
#endif
        } else if (starts) {
            BlockerState.LastKeyTick.store(now, relaxed);
        }
    }
    return CallNextHookEx(BlockerState.KeyboardHook, nCode, wParam, lParam);
}

QUORLIN_HOOK_CODE LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    constexpr auto relaxed = std::memory_order_relaxed;
    const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
    const bool mouseOption = nCode == HC_ACTION && BlockerState.IgnoreExternalMouse.load(relaxed);
    const bool keyboardOption = nCode == HC_ACTION && BlockerState.IgnoreExternalKeyboard.load(relaxed);
    const DWORD now = GetTickCount();
    std::uint32_t lastKey = BlockerState.LastKeyTick.load(relaxed);
    if (mouseOption || keyboardOption) {
        // Reports that came since the last event settle pending keys before this one is decided.
        TakeReports(devices::Kind::Mouse, devices::MouseHookPart(wParam, info->mouseData), info->time);
        Devices.Expire(now);
        ApplySettledKeys();
        // A press within moments of a key, before its report, is rare; a wrong pass would let
        // through what the blocker is for.
        lastKey = Devices.StartForPress(BlockerState.LastKeyTick.load(relaxed));
    }
    const bool block =
        rule::ShouldBlockMouse(nCode, wParam, BlockerState.BlockOtherEvents.load(relaxed), now, lastKey,
                               BlockerState.BlockInterval.load(relaxed), BlockerState.FullScreenPause.load(relaxed)) &&
        !(mouseOption && Devices.PassesAsExternal(info->time, rule::IsCandidate(wParam, false)));
#ifdef QUORLIN_REPORTS_AFTER_HOOKS
    if (mouseOption || keyboardOption) TakeHeldReport();
#endif
    if (block) {
        PostMessageA(BlockerState.NotifyWindow.load(relaxed), WM_BLOCKED_EVENT, wParam, 0);
        return 1;
    }
    return CallNextHookEx(BlockerState.MouseHook, nCode, wParam, lParam);
}

}  // namespace quorlin
