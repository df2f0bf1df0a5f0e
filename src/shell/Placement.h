// Rectangle arithmetic that keeps windows on the part of the screen the user can see.
// Platform-free so the rules are tested natively; Placement_win applies them to real windows.
#pragma once
#include <string>
#include <string_view>

namespace quorlin {

// Edges of a screen area; right and bottom are exclusive, as in the system's RECT.
struct ScreenRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

// A window's place and size: left and top in screen coordinates for a top-level window.
struct WindowBounds {
    int Left = 0, Top = 0, Width = 0, Height = 0;
    friend bool operator==(const WindowBounds&, const WindowBounds&) = default;
};

struct ScreenPoint {
    int X = 0, Y = 0;
    friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

// Top-left corner that centres a width x height window in the area (halves truncate toward zero).
ScreenPoint CenteredIn(const ScreenRect& area, int width, int height);

// Moves (x, y) so the window lies inside the area; a window larger than the area ends on the
// area's top-left corner.
ScreenPoint ClampedInto(const ScreenRect& area, ScreenPoint at, int width, int height);

// Top-left corner that centres a width x height window over the control, then keeps it in the area.
ScreenPoint CenteredOver(const WindowBounds& control, const ScreenRect& area, int width, int height);

// GetWindowPlacement gives a window without WS_EX_TOOLWINDOW its restored rectangle in workspace
// coordinates, whose origin is the top-left corner of the monitor's work area; SetWindowPos takes
// screen coordinates. Shifts the rectangle by where the work area starts within the monitor, so a
// taskbar at the top or left does not move the window on every save and restore.
ScreenRect WorkspaceToScreen(const ScreenRect& rect, const ScreenRect& work, const ScreenRect& monitor);

// The address the browser is given: unchanged when it names a scheme ("://" anywhere),
// otherwise with "http://" in front.
std::wstring UrlWithScheme(std::wstring_view address);

}  // namespace quorlin
