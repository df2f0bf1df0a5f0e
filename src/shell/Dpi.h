// Window bounds of the 96-DPI design at the DPI a window is shown at. Platform-free.
#pragma once
#include "base/Dpi.h"
#include "shell/Placement.h"

namespace quorlin {

// Every part of the design bounds (left, top, width, height) scaled on its own, so that at
// 96 DPI every coordinate is exactly the design's.
constexpr WindowBounds ScaleBoundsForDpi(const WindowBounds& design, int dpi) noexcept {
    return {ScaleForDpi(design.Left, dpi), ScaleForDpi(design.Top, dpi), ScaleForDpi(design.Width, dpi),
            ScaleForDpi(design.Height, dpi)};
}

// Bounds laid out at fromDpi, at toDpi.
constexpr WindowBounds RescaleBoundsForDpi(const WindowBounds& b, int fromDpi, int toDpi) noexcept {
    return {RescaleForDpi(b.Left, fromDpi, toDpi), RescaleForDpi(b.Top, fromDpi, toDpi),
            RescaleForDpi(b.Width, fromDpi, toDpi), RescaleForDpi(b.Height, fromDpi, toDpi)};
}

}  // namespace quorlin
