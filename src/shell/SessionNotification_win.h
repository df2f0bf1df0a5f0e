// Session changes (lock, unlock, switching users) reported to a window as WM_WTSSESSION_CHANGE
// for as long as the object lives. wtsapi32.dll is no KnownDLL: it is loaded from the system
// folder at run time, and a system without it simply reports nothing.
#pragma once
#include <windows.h>

namespace quorlin {

class TSessionNotification {
public:
    explicit TSessionNotification(HWND window);
    ~TSessionNotification();
    TSessionNotification(const TSessionNotification&) = delete;
    TSessionNotification& operator=(const TSessionNotification&) = delete;

    bool Registered() const { return registered_; }

private:
    HWND window_;
    bool registered_ = false;
};

// WM_WTSSESSION_CHANGE's wParam: the user is back at this session's desktop (unlocked, or
// connected again at the console or remotely).
constexpr bool IsSessionReturn(WPARAM change) noexcept {
    return change == WTS_CONSOLE_CONNECT || change == WTS_REMOTE_CONNECT || change == WTS_SESSION_UNLOCK;
}

}  // namespace quorlin
