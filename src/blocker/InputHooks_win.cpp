#include "blocker/InputHooks_win.h"

#include "blocker/HookDecision.h"
#include "blocker/HookPages_win.h"
#include "blocker/InputOrder.h"
#include "blocker/PressLog_win.h"
#include "base/OwnInput.h"
#include "blocker/RawInput_win.h"

#include <optional>

#include "base/Unique_win.h"

namespace quorlin {

QUORLIN_HOOK_DATA BlockerStateRecord BlockerState;

namespace {

// Which device each hook event came from, while an option asks: the hook thread's alone.
QUORLIN_HOOK_DATA devices::DeviceDecider Devices;
// Whether each event's raw report came before its hook, after it or never; written by the hook thread.
QUORLIN_HOOK_DATA devices::InputOrder Order;

// The order of an event's raw report and its low-level hooks, chosen here for the whole file.
// Wine queues the report first; for Windows it is reported to come after the hooks. The program
// takes whatever has arrived, which is right either way; the test build QuorlinReportsAfterHooks.exe
// imitates Windows' order on Wine by leaving each event's own report until it has been decided.
enum class ReportOrder { AsTheyCome, OwnAfterHooks };
#ifdef QUORLIN_REPORTS_AFTER_HOOKS
constexpr ReportOrder kReportOrder = ReportOrder::OwnAfterHooks;
#else
constexpr ReportOrder kReportOrder = ReportOrder::AsTheyCome;
#endif

// Keys settled as built in: the interval starts at a key's own time, if that is the newest.
QUORLIN_HOOK_CODE void ApplySettledKeys(std::uint32_t now) {
    rule::KeyTime lastKey = BlockerState.LastKey.Load();
    Devices.Settle(lastKey, now);
    BlockerState.LastKey.Store(lastKey);
}

// Takes the reports that have arrived, before an event of that kind, part and time is decided.
QUORLIN_HOOK_CODE void TakeReportsBefore(devices::Kind kind, std::uint32_t part, DWORD time) {
    while (const devices::RawEvent* report = RawReports.Peek()) {
        if (kReportOrder == ReportOrder::OwnAfterHooks && devices::IsReportOf(*report, kind, part, time)) return;
        Order.Taken(*report);
        Devices.Report(*report);
        RawReports.Pop();
    }
}

// After the decision: the report left for then, if the order leaves one.
QUORLIN_HOOK_CODE void TakeReportsAfter(std::uint32_t now) {
    if constexpr (kReportOrder == ReportOrder::AsTheyCome) return;
    while (const devices::RawEvent* report = RawReports.Peek()) {
        Order.Taken(*report);
        Devices.Report(*report);
        RawReports.Pop();
    }
    ApplySettledKeys(now);
}

// With no device option on, while the order is observed: the reports are only counted.
QUORLIN_HOOK_CODE __attribute__((noinline)) void CountOrder(devices::Kind kind, std::uint32_t part, DWORD time) {
    while (const devices::RawEvent* report = RawReports.Peek()) {
        Order.Taken(*report);
        RawReports.Pop();
    }
    Order.Decided(kind, part, time);
}

struct DevicesJob {
    bool Mouse;
    bool Keyboard;
    const devices::DeviceTable* Table;
};

// The options turn on only for the kinds whose raw input is registered, so a refusal leaves the
// blocker as it was; reports from before are dropped.
void ApplyDevices(const DevicesJob& job) {
    Devices.Table = *job.Table;
    Devices.Restart();
    ApplySettledKeys(GetTickCount());
    RawReports.Clear();
    BlockerState.IgnoreExternalMouse = job.Mouse;
    BlockerState.IgnoreExternalKeyboard = job.Keyboard;
}

// The reports that came after the last event, taken now rather than at the next one, so that the
// input order counts the last event too.
void TakeArrivedReports() {
    if (!BlockerState.IgnoreExternalMouse && !BlockerState.IgnoreExternalKeyboard && !BlockerState.ObserveOrder) return;
    while (const devices::RawEvent* report = RawReports.Peek()) {
        Order.Taken(*report);
        Devices.Report(*report);
        RawReports.Pop();
    }
    ApplySettledKeys(GetTickCount());
}

// Releases the hook never saw (while it was out, or on another desktop) would leave keys held for
// good; the system's own view of the keyboard settles them.
void ForgetReleasedKeys() {
    for (std::uint32_t vk = 1; vk < 256; ++vk)
        if (BlockerState.Keys.Down.Has(vk) && GetAsyncKeyState(static_cast<int>(vk)) >= 0)
            rule::ForgetKey(BlockerState.Keys, vk);
}

// Back on the user's desktop after the secure one (Ctrl+Alt+Del, a consent prompt): the releases
// made there never reached the hooks.
void CALLBACK DesktopSwitched(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD) { ForgetReleasedKeys(); }

// Written on the hook thread while the GUI thread waits for its job, read by it afterwards.
HookHealth Health;
bool observing = false;  // raw input asked for by ObserveInputOrder; the GUI thread's

void RemoveHooks() {
    // Cleared after unhooking, so a repeated call can never hit a handle value the system reused.
    if (BlockerState.MouseHook) UnhookWindowsHookEx(BlockerState.MouseHook);
    if (BlockerState.KeyboardHook) UnhookWindowsHookEx(BlockerState.KeyboardHook);
    BlockerState.MouseHook = nullptr;
    BlockerState.KeyboardHook = nullptr;
    Health.InstalledTick.reset();
}

// Hooks in place that missed input the system had since their last event were dropped by it
// (it does so with a hook that kept it waiting too long). Input on the secure desktop counts too,
// so this is an upper bound.
void NoteHealth(DWORD now) {
    const bool were = BlockerState.KeyboardHook && BlockerState.MouseHook;
    // Input the system had before the hooks went in is none they could have seen.
    const DWORD seen = BlockerState.LastHookEvent.exchange(now, std::memory_order_relaxed);
    if (!were) {
        Health.InstalledTick = now;
        return;
    }
    ++Health.PutBack;
    LASTINPUTINFO input{sizeof input, 0};
    constexpr std::int32_t kSlack = 1000;
    if (GetLastInputInfo(&input) && static_cast<std::int32_t>(input.dwTime - seen) > kSlack) ++Health.FoundRemoved;
}

// A new hook goes in before the old one comes out, so that no event finds the chain without one;
// one that could not be installed leaves the old one working, and the minutes tick tries again.
void Replace(HHOOK& hook, HHOOK fresh) {
    if (!fresh) return;
    const HHOOK old = hook;
    hook = fresh;
    if (old) UnhookWindowsHookEx(old);
}

// Also the minutes tick's way of putting the hooks back, in case the system dropped them unseen.
// Each time they start clean: raw reports read while no hook took them belong to events these
// hooks never saw, and times too old for any decision go before the tick counter comes round.
void PutHooks(HWND window) {
    ForgetReleasedKeys();
    BlockerState.NotifyWindow = window;
    const DWORD now = GetTickCount();
    RawReports.Clear();
    Devices.Restart();
    ApplySettledKeys(now);
    BlockerState.LastKey.Store(rule::Forgotten(BlockerState.LastKey.Load(), now));
    rule::ForgetOldPress(BlockerState.Presses, now);
    NoteHealth(now);
    const HINSTANCE module = GetModuleHandleW(nullptr);
    Replace(BlockerState.KeyboardHook, SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardHookProc, module, 0));
    Replace(BlockerState.MouseHook, SetWindowsHookExA(WH_MOUSE_LL, MouseHookProc, module, 0));
}

enum class Job { Install, Uninstall, Settle, Devices, Reports };

// The one job the GUI thread has handed over; the hook thread reads it only while the GUI thread
// waits for it, so the slot needs no lock.
struct JobSlot {
    Job Kind = Job::Settle;
    HWND Window = nullptr;
    const DevicesJob* Devices = nullptr;  // the GUI thread's, while it waits
};

void Do(const JobSlot& job) {
    switch (job.Kind) {
    case Job::Install: PutHooks(job.Window); break;
    case Job::Uninstall: RemoveHooks(); break;
    case Job::Settle: ForgetReleasedKeys(); break;
    case Job::Devices: ApplyDevices(*job.Devices); break;
    case Job::Reports: TakeArrivedReports(); break;
    }
}

// Rings for a job; what it carries is ignored, since any program on the desktop can post it.
constexpr UINT kWmHookJob = WM_APP + 0x40;
// Committed at creation, so the part of the stack the hooks run on can be locked like their code.
constexpr SIZE_T kStackCommit = 64 * 1024;
constexpr SIZE_T kStackLocked = 16 * 1024;

// The thread the low-level hooks are installed from, and so the one they are called on. It only
// takes messages; the GUI thread hands it a job and waits the moment it takes. Thread messages
// from elsewhere (any program can post them) are ignored, a quit message included.
class HookThread {
public:
    HookThread() {
        done_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!done_) return;
        thread_.reset(CreateThread(nullptr, kStackCommit, &HookThread::Main, this, 0, &id_));
        if (thread_ && !WaitDone()) thread_.reset();  // until its queue exists
    }
    ~HookThread() {
        if (!thread_) return;
        ending_ = true;
        // A queue someone filled refuses the message until the thread has emptied it some more.
        while (!PostThreadMessageW(id_, WM_QUIT, 0, 0) && WaitForSingleObject(thread_.get(), 10) == WAIT_TIMEOUT) {
        }
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    HookThread(const HookThread&) = delete;
    HookThread& operator=(const HookThread&) = delete;

    bool Running() const { return thread_.get() != nullptr; }

    // False when the thread has ended without doing the job. Never returns with the job still
    // outstanding while the thread lives: a stray ring could otherwise run a finished job's slot.
    bool Run(const JobSlot& job) {
        slot_ = job;
        posted_.store(posted_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        // Any program can fill the thread's queue, which then refuses the ring; the thread empties
        // it meanwhile, and may take the job on a stray ring already.
        while (!PostThreadMessageW(id_, kWmHookJob, 0, 0)) {
            const DWORD waited = Wait(10);
            if (waited != WAIT_TIMEOUT) return waited == WAIT_OBJECT_0;
        }
        return WaitDone();
    }

private:
    DWORD Wait(DWORD ms) {
        const HANDLE both[] = {done_.get(), thread_.get()};
        return WaitForMultipleObjects(2, both, FALSE, ms);
    }
    bool WaitDone() { return Wait(INFINITE) == WAIT_OBJECT_0; }

    static DWORD WINAPI Main(void* param) {
        auto& self = *static_cast<HookThread*>(param);
        // Input waits for this thread: ahead of the program's other work, and its stack resident.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        volatile char top = 0;
        const auto below = reinterpret_cast<std::uintptr_t>(&top) - kStackLocked;
        VirtualLock(reinterpret_cast<void*>(below), kStackLocked);
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_USER, WM_USER, PM_NOREMOVE);  // makes the queue
        std::uint32_t done = 0;
        const HWINEVENTHOOK desktopSwitch = SetWinEventHook(EVENT_SYSTEM_DESKTOPSWITCH, EVENT_SYSTEM_DESKTOPSWITCH,
                                                            nullptr, DesktopSwitched, 0, 0, WINEVENT_OUTOFCONTEXT);
        SetEvent(self.done_.get());
        for (;;) {
            const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
            if (got == -1 || (got == 0 && self.ending_)) break;
            if (msg.hwnd != nullptr) {
                DispatchMessageW(&msg);
            } else if (msg.message == kWmHookJob) {
                const std::uint32_t posted = self.posted_.load(std::memory_order_acquire);
                if (posted == done) continue;  // no job waiting: not the GUI thread's ring
                Do(self.slot_);
                done = posted;
                SetEvent(self.done_.get());
            }
        }
        if (desktopSwitch) UnhookWinEvent(desktopSwitch);
        RemoveHooks();
        return 0;
    }

    UniqueHandle done_;
    UniqueHandle thread_;
    DWORD id_ = 0;
    JobSlot slot_;
    std::atomic<std::uint32_t> posted_{0};
    std::atomic<bool> ending_{false};
};

std::optional<HookThread>& TheHookThread() {
    static std::optional<HookThread> thread;
    return thread;
}

// Runs the job on the hook thread, started when asked. Without a thread of their own (none could
// be made, or it ended unasked) the hooks live on the caller's, as a last resort: never while the
// hook thread lives, so hook-thread state always has one thread.
void RunJob(Job kind, HWND window, const DevicesJob* devices, bool start) {
    auto& thread = TheHookThread();
    const JobSlot job{kind, window, devices};
    if (!thread && start) thread.emplace();
    if (!thread || !thread->Running() || !thread->Run(job)) Do(job);
}

}  // namespace

void BlockerStateRecord::Reset() noexcept {
    LastKey.Store(std::nullopt);
    BlockInterval = 500;
    BlockOtherEvents = true;
    NotifyWindow = nullptr;
    Smart.Store({});
    AdaptToTyping = false;
    PressGap = rule::kNoPressGap;
    FullScreenPause = false;
    IgnoreExternalMouse = false;
    IgnoreExternalKeyboard = false;
    ObserveOrder = false;
    LastHookEvent = 0;
    FullScreen = nullptr;
    RulesInUse = false;
    LongestRuleInterval = 0;
    Rule.Store(nullptr, 0);
    RuleAsked = nullptr;
    Foreground = nullptr;
    Keys = {};
    Presses = {};
}

void InstallHooks(HWND window) {
    LockHookPages();
    RunJob(Job::Install, window, nullptr, true);
}

void UninstallHooks() { RunJob(Job::Uninstall, nullptr, nullptr, false); }

void SettleHeldKeys() { RunJob(Job::Settle, nullptr, nullptr, false); }

void SetExternalDevices(bool ignoreMouse, bool ignoreKeyboard, const devices::DeviceTable& table) {
    const RawKinds registered = SetRawInput(ignoreMouse || observing, ignoreKeyboard || observing);
    // Nothing to take down while no thread ever took anything up.
    const DevicesJob job{ignoreMouse && registered.Mouse, ignoreKeyboard && registered.Keyboard, &table};
    RunJob(Job::Devices, nullptr, &job, ignoreMouse || ignoreKeyboard);
}

HookHealth ReadHookHealth() { return Health; }

activity::InputOrderCounts InputOrderSoFar() {
    RunJob(Job::Reports, nullptr, nullptr, false);
    return Order.Counts();
}

void ObserveInputOrder(bool on) {
    observing = on;
    // The options' own registrations stay as they are.
    SetRawInput(on || BlockerState.IgnoreExternalMouse, on || BlockerState.IgnoreExternalKeyboard);
    BlockerState.ObserveOrder = on;
}

void EndHookThread() {
    SetRawInput(false, false);
    TheHookThread().reset();
}

namespace {

// A shortcut modifier the hooks hold as down but the system has up was released where the hooks
// could not see it (another desktop). Asked only while one is held, and before the key itself is
// applied: the system's state follows an event only after its hooks.
QUORLIN_HOOK_CODE __attribute__((noinline)) void ForgetModifiersReleasedUnseen(std::uint32_t key) {
    rule::KeyboardState& keys = BlockerState.Keys;
    if (!rule::ShortcutModifierHeld(keys.Down)) return;
    // The Windows keys, then left and right Ctrl and Alt.
    for (std::uint32_t vk = VK_LWIN; vk <= VK_RMENU; vk = vk == VK_RWIN ? VK_LCONTROL : vk + 1)
        if (vk != key && keys.Down.Has(vk) && GetAsyncKeyState(static_cast<int>(vk)) >= 0) rule::ForgetKey(keys, vk);
}

}  // namespace

namespace {

// The rule of the program in front, for an event the hook is deciding now. A click that brings a
// window to the front is seen here before the system activates that window, so it is decided by
// the rule of the program that was in front before it. When the window in front is not the one
// the rule was worked out for (the system's foreground event has not come yet, or never comes),
// the GUI thread is asked once and the event is decided as the settings say.
QUORLIN_HOOK_CODE __attribute__((noinline)) ProgramRule RuleInFront() {
    const HWND front = GetForegroundWindow();
    if (const auto code = BlockerState.Rule.For(front)) return {*code};
    if (BlockerState.RuleAsked.exchange(front, std::memory_order_relaxed) != front)
        PostMessageA(BlockerState.NotifyWindow.load(std::memory_order_relaxed), WM_FOREGROUND_RULE, 0, 0);
    return {};
}

// A press soon after a key, for the Activity window: the ring takes its times, place and decision.
// Only presses come here, a few a minute, so the one read of the window in front costs little.
QUORLIN_HOOK_CODE __attribute__((noinline)) void RecordPress(WPARAM message, const MSLLHOOKSTRUCT& info,
                                                             std::uint32_t now, std::uint32_t afterKey,
                                                             const rule::MouseDecision& d) {
    const auto button = activity::ButtonOf(message);
    if (!button) return;
    activity::Press p;
    p.Tick = now;
    p.AfterKey = afterKey;
    p.X = info.pt.x;
    p.Y = info.pt.y;
    p.Length = d.Length;
    p.Window = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(GetForegroundWindow()));
    p.Which = *button;
    p.Blocked = d.Block;
    p.By = d.By;
    PressLog.Write(p);
}

}  // namespace

// Both procedures run for every input event of the desktop: a tick read, a few comparisons and
// bit operations, no allocation, no I/O; while rules are in use, one foreground-window read for a
// key and for a mouse event a rule could have blocked. They read, let the decision say, and act.
QUORLIN_HOOK_CODE LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION) {
        constexpr auto relaxed = std::memory_order_relaxed;
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lParam);
        const bool extended = (info->flags & LLKHF_EXTENDED) != 0;
        const bool own = IsOwnInput(info->dwExtraInfo);
        if (!own && (wParam == WM_KEYDOWN || wParam == WM_SYSKEYDOWN))
            ForgetModifiersReleasedUnseen(rule::SidedKey(info->vkCode, extended));
        rule::KeyInputs in{.Message = wParam,
                           .Vk = info->vkCode,
                           .Extended = extended,
                           .Own = own,
                           .Now = GetTickCount(),
                           .Smart = BlockerState.Smart.Load(),
                           .Paused = BlockerState.FullScreenPause.load(relaxed),
                           .Rule = BlockerState.RulesInUse.load(relaxed) ? RuleInFront() : ProgramRule{},
                           .Keys = BlockerState.Keys,
                           .Presses = BlockerState.Presses,
                           .ExternalKeyboardOption = BlockerState.IgnoreExternalKeyboard.load(relaxed)};
        BlockerState.LastHookEvent.store(in.Now, relaxed);
        const std::uint32_t part = devices::KeyPart(info->vkCode, (info->flags & LLKHF_UP) != 0);
        rule::KeyDecision d;
        while ((d = rule::DecideKey(in)).AskDevice) {
            // Every key takes its place in the order its reports come in.
            TakeReportsBefore(devices::Kind::Keyboard, part, info->time);
            Order.Decided(devices::Kind::Keyboard, part, info->time);
            Devices.Expire(in.Now);
            in.From = Devices.Key(part, in.Now, d.Starts);
            in.DeviceAsked = true;
        }
        BlockerState.Keys = d.Keys;
        BlockerState.Presses = d.Presses;
        if (d.Stamp) BlockerState.LastKey.Store(in.Now);
        if (in.ExternalKeyboardOption) {
            ApplySettledKeys(in.Now);
            TakeReportsAfter(in.Now);
        } else if (BlockerState.ObserveOrder.load(relaxed)) {
            CountOrder(devices::Kind::Keyboard, part, info->time);
        }
        if (d.PressGap) BlockerState.PressGap.store(*d.PressGap, relaxed);
    }
    return CallNextHookEx(BlockerState.KeyboardHook, nCode, wParam, lParam);
}

QUORLIN_HOOK_CODE LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    if (nCode == HC_ACTION) {
        constexpr auto relaxed = std::memory_order_relaxed;
        const auto* info = reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam);
        const bool mouseOption = BlockerState.IgnoreExternalMouse.load(relaxed);
        const bool devicesAsked = mouseOption || BlockerState.IgnoreExternalKeyboard.load(relaxed);
        rule::MouseInputs in{.Message = wParam,
                             .Now = GetTickCount(),
                             .LastKey = BlockerState.LastKey.Load(),
                             .Interval = BlockerState.BlockInterval.load(relaxed),
                             .BlockOther = BlockerState.BlockOtherEvents.load(relaxed),
                             .Paused = BlockerState.FullScreenPause.load(relaxed),
                             .AdaptToTyping = BlockerState.AdaptToTyping.load(relaxed),
                             .PressGap = BlockerState.PressGap.load(relaxed),
                             .RulesInUse = BlockerState.RulesInUse.load(relaxed),
                             .LongestRuleInterval = BlockerState.LongestRuleInterval.load(relaxed)};
        BlockerState.LastHookEvent.store(in.Now, relaxed);
        const std::uint32_t part = devices::MouseHookPart(wParam, info->mouseData);
        if (devicesAsked) {
            // Reports that came since the last event settle pending keys before this one is decided.
            TakeReportsBefore(devices::Kind::Mouse, part, info->time);
            // Mice report only while their option registered them.
            if (mouseOption) Order.Decided(devices::Kind::Mouse, part, info->time);
            Devices.Expire(in.Now);
            ApplySettledKeys(in.Now);
            // A press within moments of a key, before its report, is rare; a wrong pass would let
            // through what the blocker is for.
            in.LastKey = Devices.StartForPress(BlockerState.LastKey.Load(), in.Now);
            in.FromExternalMouse = mouseOption && Devices.PassesAsExternal(info->time, rule::IsCandidate(wParam, false));
        } else if (BlockerState.ObserveOrder.load(relaxed)) {
            CountOrder(devices::Kind::Mouse, part, info->time);
        }
        rule::MouseDecision d;
        while ((d = rule::DecideMouse(in)).AskRule) in.Rule = RuleInFront();
        if (rule::IsCountedPress(wParam) && in.LastKey && in.Now - *in.LastKey <= activity::kRecordedAfterKey)
            RecordPress(wParam, *info, in.Now, in.Now - *in.LastKey, d);
        if (devicesAsked) TakeReportsAfter(in.Now);
        if (d.Post) PostMessageA(BlockerState.NotifyWindow.load(relaxed), WM_BLOCKED_EVENT, wParam, 0);
        if (d.Block) return 1;
    }
    return CallNextHookEx(BlockerState.MouseHook, nCode, wParam, lParam);
}

}  // namespace quorlin
