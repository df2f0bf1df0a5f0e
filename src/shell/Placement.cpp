#include "shell/Placement.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace quorlin {

namespace {

// Positions come from stored settings too, so sums such as left + width may not fit in an int:
// the arithmetic runs in 64 bits and the result is brought back into the int range.
int ToInt(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

ScreenPoint CenteredIn(const ScreenRect& area, int width, int height) {
    const std::int64_t x = area.Left + (std::int64_t{area.Right} - area.Left - width) / 2;
    const std::int64_t y = area.Top + (std::int64_t{area.Bottom} - area.Top - height) / 2;
    return {ToInt(x), ToInt(y)};
}

ScreenPoint ClampedInto(const ScreenRect& area, ScreenPoint at, int width, int height) {
    std::int64_t x = at.X, y = at.Y;
    x = std::max<std::int64_t>(x, area.Left);
    y = std::max<std::int64_t>(y, area.Top);
    if (x + width > area.Right) x = std::int64_t{area.Right} - width;
    if (y + height > area.Bottom) y = std::int64_t{area.Bottom} - height;
    // Once more, so that a window too large for the area shows its top-left part.
    x = std::max<std::int64_t>(x, area.Left);
    y = std::max<std::int64_t>(y, area.Top);
    return {ToInt(x), ToInt(y)};
}

ScreenPoint CenteredOver(const WindowBounds& control, const ScreenRect& area, int width, int height) {
    const std::int64_t x = control.Left + (std::int64_t{control.Width} - width) / 2;
    const std::int64_t y = control.Top + (std::int64_t{control.Height} - height) / 2;
    return ClampedInto(area, {ToInt(x), ToInt(y)}, width, height);
}

ScreenRect WorkspaceToScreen(const ScreenRect& rect, const ScreenRect& work, const ScreenRect& monitor) {
    const std::int64_t dx = std::int64_t{work.Left} - monitor.Left;
    const std::int64_t dy = std::int64_t{work.Top} - monitor.Top;
    return {ToInt(rect.Left + dx), ToInt(rect.Top + dy), ToInt(rect.Right + dx), ToInt(rect.Bottom + dy)};
}

std::wstring UrlWithScheme(std::wstring_view address) {
    if (address.find(L"://") != std::wstring_view::npos) return std::wstring(address);
    return L"http://" + std::wstring(address);
}

}  // namespace quorlin
