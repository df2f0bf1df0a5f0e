#include "blocker/RawInput_win.h"

#include <windows.h>

#include <optional>

#include "base/Unique_win.h"
#include "blocker/HookPages_win.h"
#include "blocker/InputHooks_win.h"

namespace quorlin {

QUORLIN_HOOK_DATA devices::ReportRing RawReports;

namespace {

// Not on the hook thread: programs that registered raw keyboard input have reported their own
// low-level keyboard hook no longer being called, and a thread of its own also keeps the reports'
// wake-ups and system calls out of the hook thread and its hooks.
constexpr UINT kWmApply = WM_APP + 1;
constexpr DWORD kGatherMs = 4;

void TakeReport(HRAWINPUT handle, DWORD time) {
    RAWINPUT data;
    UINT size = sizeof data;
    if (GetRawInputData(handle, RID_INPUT, &data, &size, sizeof data.header) == static_cast<UINT>(-1)) return;
    const auto device = reinterpret_cast<std::uintptr_t>(data.header.hDevice);
    if (data.header.dwType == RIM_TYPEMOUSE) {
        const RAWMOUSE& m = data.data.mouse;
        const bool moved = m.lLastX != 0 || m.lLastY != 0 || (m.usFlags & MOUSE_MOVE_ABSOLUTE) != 0;
        RawReports.Push({devices::Kind::Mouse, device, time, devices::MouseParts(m.usButtonFlags, moved)});
    } else if (data.header.dwType == RIM_TYPEKEYBOARD) {
        const RAWKEYBOARD& k = data.data.keyboard;
        RawReports.Push({devices::Kind::Keyboard, device, time, devices::KeyPart(k.VKey, (k.Flags & RI_KEY_BREAK) != 0)});
    }
}

// Registers or removes each kind whose state changes (each registration reports every present
// device as arrived); answers the kinds registered afterwards, as bits.
LRESULT Apply(HWND window, WPARAM wanted, RawKinds& registered) {
    RAWINPUTDEVICE rid[2]{};
    UINT n = 0;
    const auto want = [&](bool on, bool now, USHORT usage) {
        if (on != now) rid[n++] = {1, usage, on ? DWORD{RIDEV_INPUTSINK | RIDEV_DEVNOTIFY} : DWORD{RIDEV_REMOVE}, on ? window : nullptr};
    };
    const bool mouse = (wanted & 1) != 0, keyboard = (wanted & 2) != 0;
    want(mouse, registered.Mouse, 2);
    want(keyboard, registered.Keyboard, 6);
    if (n > 0 && RegisterRawInputDevices(rid, n, sizeof *rid)) registered = {mouse, keyboard};
    return (registered.Mouse ? 1 : 0) | (registered.Keyboard ? 2 : 0);
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_INPUT: TakeReport(reinterpret_cast<HRAWINPUT>(lp), static_cast<DWORD>(GetMessageTime())); break;
    case WM_INPUT_DEVICE_CHANGE: PostMessageW(BlockerState.NotifyWindow.load(), WM_INPUT_DEVICES_CHANGED, 0, 0); return 0;
    case kWmApply:
        if (auto* registered = reinterpret_cast<RawKinds*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            return Apply(window, wp, *registered);
        return 0;
    default: break;
    }
    return DefWindowProcW(window, msg, wp, lp);
}

class RawInputThread {
public:
    RawInputThread() {
        ready_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!ready_) return;
        thread_.reset(CreateThread(nullptr, 0, &RawInputThread::Main, this, 0, nullptr));
        if (thread_) WaitForSingleObject(ready_.get(), INFINITE);
    }
    ~RawInputThread() {
        if (!thread_) return;
        if (window_) SendMessageW(window_, kWmApply, 0, 0);
        PostThreadMessageW(GetThreadId(thread_.get()), WM_QUIT, 0, 0);
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    RawInputThread(const RawInputThread&) = delete;
    RawInputThread& operator=(const RawInputThread&) = delete;

    RawKinds Set(bool mouse, bool keyboard) {
        if (!window_) return {};
        const LRESULT got = SendMessageW(window_, kWmApply, (mouse ? 1 : 0) | (keyboard ? 2 : 0), 0);
        return {(got & 1) != 0, (got & 2) != 0};
    }

private:
    static DWORD WINAPI Main(void* param) {
        auto& self = *static_cast<RawInputThread*>(param);
        // Reports are read at once, so that they are there when the hooks decide.
        SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
        constexpr wchar_t kClass[] = L"QuorlinRawInput";
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassExW(&wc);  // fails harmlessly when a former thread registered it
        UniqueWindow window(CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
        self.window_ = window.get();
        if (window) SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&self.registered_));
        SetEvent(self.ready_.get());
        MSG msg;
        while (window && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            DispatchMessageW(&msg);
            if (msg.message != WM_INPUT) continue;
            // While input flows, the reports that came meanwhile are read together: one wake-up
            // for a few events, not one for each. The hooks decide right whenever they come.
            Sleep(kGatherMs);
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message != WM_QUIT) DispatchMessageW(&msg);
            if (msg.message == WM_QUIT) break;
        }
        return 0;
    }

    UniqueHandle ready_;
    UniqueHandle thread_;
    HWND window_ = nullptr;
    RawKinds registered_;  // the thread's alone
};

std::optional<RawInputThread>& TheThread() {
    static std::optional<RawInputThread> thread;
    return thread;
}

}  // namespace

RawKinds SetRawInput(bool mouse, bool keyboard) {
    auto& thread = TheThread();
    if (!mouse && !keyboard) {
        thread.reset();  // its registrations removed first
        return {};
    }
    if (!thread) thread.emplace();
    return thread->Set(mouse, keyboard);
}

}  // namespace quorlin
