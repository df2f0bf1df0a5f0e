// Every key event of the desktop as a low-level keyboard hook on a thread of its own sees it (a
// hook is not always called for keys its own thread injects, and the test's keys count too).
#pragma once
#include <windows.h>

#include <vector>

#include "base/Unique_win.h"

namespace testsupport {

class KeyRecorder {
public:
    struct Event {
        DWORD vk;
        bool up;
    };
    KeyRecorder() {
        instance_ = this;
        thread_.reset(CreateThread(nullptr, 0, Run, ready_.get(), 0, &threadId_));
        WaitForSingleObject(ready_.get(), 10000);  // the hook is in place
    }
    ~KeyRecorder() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_.get(), 10000);
        instance_ = nullptr;
    }
    KeyRecorder(const KeyRecorder&) = delete;
    KeyRecorder& operator=(const KeyRecorder&) = delete;

    std::vector<Event> Events() const {
        AcquireSRWLockShared(&lock_);
        std::vector<Event> copy = events_;
        ReleaseSRWLockShared(&lock_);
        return copy;
    }
    // Whether any of the keys is down after the first `count` events; injected keys may come
    // without their side, so a side-free code counts for both.
    static bool Down(const std::vector<Event>& events, size_t count, std::initializer_list<DWORD> keys) {
        bool down[256] = {};
        for (size_t i = 0; i < count && i < events.size(); ++i) down[events[i].vk & 0xFF] = !events[i].up;
        for (DWORD vk : keys) if (down[vk]) return true;
        return false;
    }

private:
    static DWORD WINAPI Run(void* ready) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before WM_QUIT is posted
        HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, Proc, GetModuleHandleW(nullptr), 0);
        SetEvent(ready);
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        UnhookWindowsHookEx(hook);
        return 0;
    }
    static LRESULT CALLBACK Proc(int code, WPARAM wp, LPARAM lp) {
        if (code == HC_ACTION && instance_) {
            const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
            AcquireSRWLockExclusive(&instance_->lock_);
            instance_->events_.push_back({info->vkCode, wp == WM_KEYUP || wp == WM_SYSKEYUP});
            ReleaseSRWLockExclusive(&instance_->lock_);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static inline KeyRecorder* instance_ = nullptr;  // the hook procedure's way to its recorder
    mutable SRWLOCK lock_ = SRWLOCK_INIT;
    std::vector<Event> events_;
    quorlin::UniqueHandle ready_{CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    quorlin::UniqueHandle thread_;
    DWORD threadId_ = 0;
};

}  // namespace testsupport
