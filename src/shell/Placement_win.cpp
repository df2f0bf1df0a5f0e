#include "shell/Placement_win.h"

#include <shellapi.h>

#include <string>

#include "base/System_win.h"
#include "shell/Application_win.h"

namespace quorlin {

namespace {

ScreenRect ToScreenRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

WindowBounds BoundsOf(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

// One bounds change: new left and top with the unchanged width and height.
void MoveTo(HWND window, ScreenPoint at) {
    POINT p{at.X, at.Y};
    // Child windows are placed in their parent's client coordinates.
    if ((GetWindowLongW(window, GWL_STYLE) & WS_CHILD) != 0)
        if (HWND parent = GetParent(window)) ScreenToClient(parent, &p);
    const WindowBounds b = BoundsOf(window);
    SetWindowPos(window, nullptr, p.x, p.y, b.Width, b.Height, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
}

}  // namespace

ScreenRect MonitorWorkArea(HWND window) {
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (window && IsWindow(window)) {
        const WindowBounds b = BoundsOf(window);
        const RECT r{b.Left, b.Top, b.Left + b.Width, b.Top + b.Height};
        if (HMONITOR monitor = MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST)) {
            MONITORINFO info{};
            info.cbSize = sizeof info;
            if (GetMonitorInfoW(monitor, &info)) work = info.rcWork;
        }
    }
    return {work.left, work.top, work.right, work.bottom};
}

void CenterInWorkArea(HWND window) {
    if (!window || !IsWindow(window)) return;
    const WindowBounds b = BoundsOf(window);
    MoveTo(window, CenteredIn(MonitorWorkArea(window), b.Width, b.Height));
}

void ClampToWorkArea(HWND window) {
    if (!window || !IsWindow(window)) return;
    const WindowBounds b = BoundsOf(window);
    MoveTo(window, ClampedInto(MonitorWorkArea(window), {b.Left, b.Top}, b.Width, b.Height));
}

void CenterOverControl(HWND window, HWND control) {
    if (!window || !IsWindow(window)) return;
    if (!control || !IsWindow(control) || !IsWindowVisible(control)) {
        CenterInWorkArea(window);
        return;
    }
    const WindowBounds b = BoundsOf(window);
    MoveTo(window, CenteredOver(BoundsOf(control), MonitorWorkArea(control), b.Width, b.Height));
}

ScreenRect NormalBoundsOnScreen(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) {
        RECT r{};
        GetWindowRect(window, &r);
        return ToScreenRect(r);
    }
    const ScreenRect normal = ToScreenRect(placement.rcNormalPosition);
    // A tool window's placement is in screen coordinates already.
    if ((GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0) return normal;
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (!GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info)) return normal;
    return WorkspaceToScreen(normal, ToScreenRect(info.rcWork), ToScreenRect(info.rcMonitor));
}

void OpenUrlInBrowser(std::wstring_view address) {
    // The wide call keeps addresses with characters outside the ANSI code page intact.
    const std::wstring url = UrlWithScheme(address);
    // The shell may hand the address to an extension through COM, which it expects initialised.
    EnterComApartment();
    ShellExecuteW(TApplication::Instance().Handle(), L"open", url.c_str(), nullptr, nullptr, SW_SHOW);
}

}  // namespace quorlin
