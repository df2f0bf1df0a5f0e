#include "blocker/FullScreen_win.h"

#include <shellapi.h>

#include "blocker/BlockingRule.h"
#include "blocker/InputHooks_win.h"

namespace quorlin {

namespace {

rule::PixelRect ToPixelRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The desktop's wallpaper windows belong to the shell's thread as well.
bool IsDesktopOrShell(HWND window) {
    const HWND shell = GetShellWindow();
    return window == GetDesktopWindow() || window == shell ||
           (shell && GetWindowThreadProcessId(window, nullptr) == GetWindowThreadProcessId(shell, nullptr));
}

}  // namespace

bool IsFullScreenProgram(HWND foreground) {
    QUERY_USER_NOTIFICATION_STATE state{};
    const int notification = SUCCEEDED(SHQueryUserNotificationState(&state)) ? static_cast<int>(state) : 0;
    RECT window{};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    if (!foreground || !GetWindowRect(foreground, &window) ||
        !GetMonitorInfoW(MonitorFromWindow(foreground, MONITOR_DEFAULTTONEAREST), &monitor))
        return rule::IsFullScreen({}, {}, true, notification);
    const bool zoomedWithCaption =
        IsZoomed(foreground) && (GetWindowLongW(foreground, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
    return rule::IsFullScreen(ToPixelRect(window), ToPixelRect(monitor.rcMonitor), IsDesktopOrShell(foreground),
                              notification, zoomedWithCaption);
}

FullScreenWatch::FullScreenWatch()
    : foreground_(SetWinEventHook(EVENT_SYSTEM_FOREGROUND, EVENT_SYSTEM_FOREGROUND, nullptr, OnEvent, 0, 0,
                                  WINEVENT_OUTOFCONTEXT)) {
    BlockerState.FullScreen = this;
    Check();
}

FullScreenWatch::~FullScreenWatch() {
    BlockerState.FullScreen = nullptr;
    BlockerState.FullScreenPause = false;
}

void FullScreenWatch::Check() {
    const HWND foreground = GetForegroundWindow();
    const DWORD thread = foreground ? GetWindowThreadProcessId(foreground, nullptr) : 0;
    if (thread != locationThread_) {
        location_.reset(thread ? SetWinEventHook(EVENT_OBJECT_LOCATIONCHANGE, EVENT_OBJECT_LOCATIONCHANGE, nullptr,
                                                 OnEvent, 0, thread, WINEVENT_OUTOFCONTEXT)
                               : nullptr);
        locationThread_ = thread;
    }
    BlockerState.FullScreenPause = IsFullScreenProgram(foreground);
}

void CALLBACK FullScreenWatch::OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    // Carets, scroll bars and child windows move too; only the foreground window itself matters.
    if (event == EVENT_OBJECT_LOCATIONCHANGE &&
        (object != OBJID_WINDOW || child != CHILDID_SELF || hwnd != GetForegroundWindow()))
        return;
    if (!BlockerState.FullScreen) return;
    BlockerState.FullScreen->eventsArrive_ = true;
    BlockerState.FullScreen->Check();
}

}  // namespace quorlin
