// Keeps top-level windows on the screen the user sees, and hands web addresses to the browser.
// Every function runs on the GUI thread and accepts a missing window as described.
#pragma once
#include <windows.h>

#include <string_view>

#include "shell/Placement.h"

namespace quorlin {

// Work area of the monitor nearest to the window; the primary work area when none is given
// or no monitor is found.
ScreenRect MonitorWorkArea(HWND window);

// Moves the window (size unchanged) to the middle of its monitor's work area.
void CenterInWorkArea(HWND window);
// Moves the window (size unchanged) so that it lies inside its monitor's work area.
void ClampToWorkArea(HWND window);
// Centres the window over a visible control, kept inside the work area of the control's monitor;
// without a visible control, centres it in its own work area.
void CenterOverControl(HWND window, HWND control);

// The window's restored rectangle in screen coordinates, the form SetWindowPos takes back; its
// current rectangle when the system gives no placement.
ScreenRect NormalBoundsOnScreen(HWND window);

// Opens the address in the user's browser ("http://" is put in front when it has no scheme).
// Failures are the shell's to show.
void OpenUrlInBrowser(std::wstring_view address);

}  // namespace quorlin
