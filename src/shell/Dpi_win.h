// The DPI a window is shown at and the system's measures for it. The per-monitor calls exist from
// Windows 10 on; they are looked up in user32 at run time, and without them (Vista to 8.1) every
// answer is the system DPI's, which is what those systems scale a DPI-aware program's windows to.
#pragma once
#include <windows.h>

#include "base/Unique_win.h"

namespace quorlin {

// The DPI of the primary display, as the system gives it to DPI-aware programs.
int SystemDpi();
// The DPI of the monitor the window is on; the system DPI where the system cannot say.
int WindowDpi(HWND window);
// GetSystemMetrics(index) as at dpi.
int SystemMetricForDpi(int index, int dpi);
// The outer size of a window with this client size, frame and caption as drawn at dpi.
SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi);
// The system's fonts and measures for the caption, menus and messages at dpi; false when they cannot be read.
bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi);
// Arial of the given design height (pixels at 96 DPI), scaled to dpi.
UniqueGdiObject CreateArialForDpi(int designHeight, int weight, int dpi);

}  // namespace quorlin
