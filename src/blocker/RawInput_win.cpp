#include "blocker/RawInput_win.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
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

// The thread's window is message-only, but any program can post to it: it acts only on what the
// program asked for through its object, never on a message's own values, and no message from
// elsewhere closes it or ends its thread.
class RawInputThread {
public:
    RawInputThread() {
        ready_.reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
        if (!ready_) return;
        thread_.reset(CreateThread(nullptr, 0, &RawInputThread::Main, this, 0, &id_));
        if (thread_) WaitForSingleObject(ready_.get(), INFINITE);
    }
    ~RawInputThread() {
        if (!thread_) return;
        if (Alive()) Set(false, false);
        ending_ = true;
        // A queue someone filled refuses the message until the thread has emptied it some more.
        while (!PostThreadMessageW(id_, WM_QUIT, 0, 0) && WaitForSingleObject(thread_.get(), 10) == WAIT_TIMEOUT) {
        }
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    RawInputThread(const RawInputThread&) = delete;
    RawInputThread& operator=(const RawInputThread&) = delete;

    bool Alive() const { return window_ && WaitForSingleObject(thread_.get(), 0) == WAIT_TIMEOUT; }

    RawKinds Set(bool mouse, bool keyboard) {
        if (!window_) return {};
        wanted_ = {mouse, keyboard};
        asked_.store(asked_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
        const LRESULT got = SendMessageW(window_, kWmApply, 0, 0);
        return {(got & 1) != 0, (got & 2) != 0};
    }

private:
    // Registers or removes each kind whose state the program's last request changes (each
    // registration reports every present device as arrived); answers the kinds registered, as bits.
    LRESULT Apply() {
        const std::uint32_t asked = asked_.load(std::memory_order_acquire);
        if (asked != applied_) {
            applied_ = asked;
            RAWINPUTDEVICE rid[2]{};
            UINT n = 0;
            const auto want = [&](bool on, bool now, USHORT usage) {
                if (on != now)
                    rid[n++] = {1, usage, on ? DWORD{RIDEV_INPUTSINK | RIDEV_DEVNOTIFY} : DWORD{RIDEV_REMOVE}, on ? window_ : nullptr};
            };
            want(wanted_.Mouse, registered_.Mouse, 2);
            want(wanted_.Keyboard, registered_.Keyboard, 6);
            if (n > 0 && RegisterRawInputDevices(rid, n, sizeof *rid)) registered_ = wanted_;
        }
        return (registered_.Mouse ? 1 : 0) | (registered_.Keyboard ? 2 : 0);
    }

    static LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<RawInputThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        switch (msg) {
        case WM_INPUT: TakeReport(reinterpret_cast<HRAWINPUT>(lp), static_cast<DWORD>(GetMessageTime())); break;
        case WM_INPUT_DEVICE_CHANGE: PostMessageW(BlockerState.NotifyWindow.load(), WM_INPUT_DEVICES_CHANGED, 0, 0); return 0;
        case kWmApply: return self ? self->Apply() : 0;
        case WM_CLOSE: return 0;  // only the thread's end destroys the window
        default: break;
        }
        return DefWindowProcW(window, msg, wp, lp);
    }

    // Dispatches a message; false for the quit message the program sent at the end. Quit messages
    // from elsewhere are ignored.
    bool Handle(const MSG& msg) const {
        if (msg.message == WM_QUIT) return !ending_;
        DispatchMessageW(&msg);
        return true;
    }

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
        if (window) SetWindowLongPtrW(window.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&self));
        self.window_ = window.get();
        SetEvent(self.ready_.get());
        MSG msg;
        bool running = static_cast<bool>(window);
        while (running && GetMessageW(&msg, nullptr, 0, 0) != -1) {
            running = self.Handle(msg);
            if (!running || msg.message != WM_INPUT) continue;
            // While input flows, the reports that came meanwhile are read together: one wake-up
            // for a few events, not one for each. The hooks decide right whenever they come.
            Sleep(kGatherMs);
            while (running && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) running = self.Handle(msg);
        }
        // Ended unasked after it worked: the devices feature applies the options again, which
        // starts a new thread (one that could not make its window reports nothing in force).
        if (window && !self.ending_) PostMessageW(BlockerState.NotifyWindow.load(), WM_INPUT_DEVICES_CHANGED, 0, 0);
        return 0;
    }

    UniqueHandle ready_;
    UniqueHandle thread_;
    DWORD id_ = 0;
    HWND window_ = nullptr;
    RawKinds wanted_;                        // the program's last request, written before asked_
    std::atomic<std::uint32_t> asked_{0};    // requests made
    std::uint32_t applied_ = 0;              // requests applied: the thread's alone
    RawKinds registered_;                    // the thread's alone
    std::atomic<bool> ending_{false};
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
    if (thread && !thread->Alive()) thread.reset();  // ended unasked: started again
    if (!thread) thread.emplace();
    return thread->Set(mouse, keyboard);
}

}  // namespace quorlin
