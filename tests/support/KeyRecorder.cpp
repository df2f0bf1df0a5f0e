#include "KeyRecorder.h"

namespace testsupport {

namespace {
KeyRecorder* g_recorder = nullptr;  // the one hook procedure needs its recorder
}  // namespace

KeyRecorder::KeyRecorder() {
    InitializeCriticalSection(&lock_);
    g_recorder = this;
    ready_.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    thread_.reset(CreateThread(nullptr, 0, Run, this, 0, &threadId_));
    WaitForSingleObject(ready_.get(), 10000);
}

KeyRecorder::~KeyRecorder() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_.get(), 10000);
    g_recorder = nullptr;
    DeleteCriticalSection(&lock_);
}

DWORD WINAPI KeyRecorder::Run(void* self) {
    auto* recorder = static_cast<KeyRecorder*>(self);
    MSG msg;
    PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone posts to it
    HHOOK hook = SetWindowsHookExW(WH_KEYBOARD_LL, Proc, GetModuleHandleW(nullptr), 0);
    SetEvent(recorder->ready_.get());
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    if (hook) UnhookWindowsHookEx(hook);
    return 0;
}

LRESULT CALLBACK KeyRecorder::Proc(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION && g_recorder) {
        const auto* info = reinterpret_cast<const KBDLLHOOKSTRUCT*>(lp);
        const bool up = wp == WM_KEYUP || wp == WM_SYSKEYUP;
        EnterCriticalSection(&g_recorder->lock_);
        g_recorder->events_.push_back({info->vkCode, up, (info->flags & LLKHF_INJECTED) != 0, info->dwExtraInfo});
        LeaveCriticalSection(&g_recorder->lock_);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

std::vector<KeyRecorder::Event> KeyRecorder::Events() const {
    EnterCriticalSection(&lock_);
    std::vector<Event> copy = events_;
    LeaveCriticalSection(&lock_);
    return copy;
}

KeyRecorder::Modifiers KeyRecorder::HeldBefore(const std::vector<Event>& events, size_t index) {
    bool down[256] = {};
    for (size_t i = 0; i < index && i < events.size(); ++i)
        if (events[i].vk < 256) down[events[i].vk] = !events[i].up;
    // Injected keys may come without their side.
    Modifiers m;
    m.ctrl = down[VK_CONTROL] || down[VK_LCONTROL] || down[VK_RCONTROL];
    m.alt = down[VK_MENU] || down[VK_LMENU] || down[VK_RMENU];
    m.shift = down[VK_SHIFT] || down[VK_LSHIFT] || down[VK_RSHIFT];
    m.win = down[VK_LWIN] || down[VK_RWIN];
    return m;
}

}  // namespace testsupport
