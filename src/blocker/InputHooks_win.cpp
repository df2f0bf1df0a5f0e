#include "blocker/InputHooks_win.h"

#include "blocker/BlockingRule.h"
#include "blocker/HookPages_win.h"
#include "base/OwnInput.h"

#include <optional>

#include "base/Unique_win.h"

namespace quorlin {

QUORLIN_HOOK_DATA BlockerStateRecord BlockerState;

namespace {

// Which device each hook event came from, while an option asks: the hook thread's alone.
struct RawInputState {
    devices::DeviceTable Table;
    devices::RawInputMatcher Matcher;
    HWND Window = nullptr;  // message-only, on the hook thread, the target of raw input
    bool Mouse = false;     // registered kinds
    bool Keyboard = false;
};
QUORLIN_HOOK_DATA RawInputState Raw;

QUORLIN_HOOK_CODE void TakeRawInput(LPARAM handle, DWORD time) {
    RAWINPUT data;
    UINT size = sizeof data;
    if (GetRawInputData(reinterpret_cast<HRAWINPUT>(handle), RID_INPUT, &data, &size, sizeof data.header) ==
        static_cast<UINT>(-1))
        return;
    const auto device = reinterpret_cast<std::uintptr_t>(data.header.hDevice);
    if (data.header.dwType == RIM_TYPEMOUSE) {
        const RAWMOUSE& m = data.data.mouse;
        const bool moved = m.lLastX != 0 || m.lLastY != 0 || (m.usFlags & MOUSE_MOVE_ABSOLUTE) != 0;
        Raw.Matcher.AddRaw({devices::Kind::Mouse, device, time, devices::MouseParts(m.usButtonFlags, moved)});
    } else if (data.header.dwType == RIM_TYPEKEYBOARD) {
        const RAWKEYBOARD& k = data.data.keyboard;
        Raw.Matcher.AddRaw({devices::Kind::Keyboard, device, time, devices::KeyPart(k.VKey, (k.Flags & RI_KEY_BREAK) != 0)});
    }
}

// The system queues an event's raw report before it calls the low-level hooks. Only input messages
// are taken: a sent message dispatched here would call a hook inside a hook.
QUORLIN_HOOK_CODE void DrainRawInput() {
    MSG msg;
    while (PeekMessageW(&msg, Raw.Window, WM_INPUT, WM_INPUT, PM_REMOVE | PM_QS_INPUT)) {
        TakeRawInput(msg.lParam, msg.time);
        DefWindowProcW(msg.hwnd, msg.message, msg.wParam, msg.lParam);  // releases the report
    }
}

// Whether the hook event came from a device the table calls external. Input that raw input did not
// report, or reported without a device, counts as built in: blocked as before.
QUORLIN_HOOK_CODE bool FromExternalDevice(devices::Kind kind, std::uint32_t part, DWORD time) {
    if (part == 0) return false;
    DrainRawInput();
    const std::optional<std::uintptr_t> device = Raw.Matcher.Match(kind, part, time);
    return device && Raw.Table.IsExternal(*device);
}

LRESULT CALLBACK RawInputWindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    // Reports that arrive between hook calls (events no hook waits on) are kept for matching too.
    if (msg == WM_INPUT) TakeRawInput(lp, static_cast<DWORD>(GetMessageTime()));
    if (msg == WM_INPUT_DEVICE_CHANGE) {
        PostMessageW(BlockerState.NotifyWindow.load(), WM_INPUT_DEVICES_CHANGED, 0, 0);
        return 0;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

HWND CreateRawInputWindow() {
    constexpr wchar_t kClass[] = L"QuorlinRawInput";
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = RawInputWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassExW(&wc);  // fails harmlessly when a former hook thread registered it
    return CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

struct DevicesJob {
    bool Mouse;
    bool Keyboard;
    const devices::DeviceTable* Table;
};

// Registers raw input for the kinds asked for and removes it for the others; the options turn on
// only once their registration stands, so a refusal leaves the blocker as it was.
void ApplyDevices(const DevicesJob& job) {
    Raw.Table = *job.Table;
    if (!Raw.Window && (job.Mouse || job.Keyboard)) Raw.Window = CreateRawInputWindow();
    BlockerState.IgnoreExternalMouse = Raw.Mouse && job.Mouse;
    BlockerState.IgnoreExternalKeyboard = Raw.Keyboard && job.Keyboard;
    RAWINPUTDEVICE rid[2]{};
    UINT n = 0;
    // Registered again only on a change: each registration reports every present device as arrived.
    const auto want = [&](bool wanted, bool& registered, USHORT usage) {
        if (wanted == registered) return;
        rid[n++] = {1, usage, wanted ? DWORD{RIDEV_INPUTSINK | RIDEV_DEVNOTIFY} : DWORD{RIDEV_REMOVE},
                    wanted ? Raw.Window : nullptr};
    };
    want(job.Mouse, Raw.Mouse, 2);
    want(job.Keyboard, Raw.Keyboard, 6);
    if (n > 0 && Raw.Window && RegisterRawInputDevices(rid, n, sizeof *rid)) {
        Raw.Mouse = job.Mouse;
        Raw.Keyboard = job.Keyboard;
    }
    BlockerState.IgnoreExternalMouse = Raw.Mouse && job.Mouse;
    BlockerState.IgnoreExternalKeyboard = Raw.Keyboard && job.Keyboard;
}

void EndRawInput() {
    const devices::DeviceTable none;
    ApplyDevices({false, false, &none});
    if (Raw.Window) DestroyWindow(Raw.Window);
    Raw.Window = nullptr;
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
        EndRawInput();
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
    // Nothing to take down while no thread ever took anything up.
    if (!ignoreMouse && !ignoreKeyboard && !TheHookThread()) return;
    const DevicesJob job{ignoreMouse, ignoreKeyboard, &table};
    StartedHookThread().Run(Job::Devices, reinterpret_cast<LPARAM>(&job));
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
                                    smart, BlockerState.FullScreenPause.load(std::memory_order_relaxed)) &&
            !(BlockerState.IgnoreExternalKeyboard.load(std::memory_order_relaxed) &&
              FromExternalDevice(devices::Kind::Keyboard, devices::KeyPart(info->vkCode, (info->flags & LLKHF_UP) != 0),
                                 info->time)))
            BlockerState.LastKeyTick.store(GetTickCount(), std::memory_order_relaxed);
    }
    return CallNextHookEx(BlockerState.KeyboardHook, nCode, wParam, lParam);
}

QUORLIN_HOOK_CODE LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam) {
    constexpr auto relaxed = std::memory_order_relaxed;
    if (rule::ShouldBlockMouse(nCode, wParam, BlockerState.BlockOtherEvents.load(relaxed), GetTickCount(),
                               BlockerState.LastKeyTick.load(relaxed), BlockerState.BlockInterval.load(relaxed),
                               BlockerState.FullScreenPause.load(relaxed)) &&
        !(BlockerState.IgnoreExternalMouse.load(relaxed) &&
          FromExternalDevice(devices::Kind::Mouse,
                             devices::MouseHookPart(wParam, reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->mouseData),
                             reinterpret_cast<const MSLLHOOKSTRUCT*>(lParam)->time))) {
        PostMessageA(BlockerState.NotifyWindow.load(relaxed), WM_BLOCKED_EVENT, wParam, 0);
        return 1;
    }
    return CallNextHookEx(BlockerState.MouseHook, nCode, wParam, lParam);
}

}  // namespace quorlin
