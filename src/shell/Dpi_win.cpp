#include "shell/Dpi_win.h"

#include <cstddef>

#include "base/Dpi.h"
#include "base/System_win.h"

namespace quorlin {

namespace {

// user32 is always loaded; its functions stay valid for the process's lifetime.
template <typename Fn>
Fn User32Proc(const char* name) {
    return GetProc<Fn>(GetModuleHandleW(L"user32.dll"), name);
}

}  // namespace

int SystemDpi() {
    using Fn = UINT(WINAPI*)();
    static const Fn getDpiForSystem = User32Proc<Fn>("GetDpiForSystem");
    if (getDpiForSystem) {
        if (const UINT dpi = getDpiForSystem()) return static_cast<int>(dpi);
    }
    int dpi = 0;
    if (HDC screen = GetDC(nullptr)) {
        dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    return dpi > 0 ? dpi : kDesignDpi;
}

int WindowDpi(HWND window) {
    using Fn = UINT(WINAPI*)(HWND);
    static const Fn getDpiForWindow = User32Proc<Fn>("GetDpiForWindow");
    if (window && getDpiForWindow) {
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    }
    return SystemDpi();
}

int SystemMetricForDpi(int index, int dpi) {
    using Fn = int(WINAPI*)(int, UINT);
    static const Fn forDpi = User32Proc<Fn>("GetSystemMetricsForDpi");
    return forDpi ? forDpi(index, static_cast<UINT>(dpi)) : GetSystemMetrics(index);
}

SIZE OuterSizeForClient(int clientWidth, int clientHeight, DWORD style, DWORD exStyle, int dpi) {
    using Fn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const Fn forDpi = User32Proc<Fn>("AdjustWindowRectExForDpi");
    RECT r{0, 0, clientWidth, clientHeight};
    if (!forDpi || !forDpi(&r, style, FALSE, exStyle, static_cast<UINT>(dpi))) AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

bool NonClientMetricsForDpi(NONCLIENTMETRICSW& metrics, int dpi) {
    using Fn = BOOL(WINAPI*)(UINT, UINT, void*, UINT, UINT);
    static const Fn forDpi = User32Proc<Fn>("SystemParametersInfoForDpi");
    metrics = {};
    // The size without the field later systems added, which earlier ones refuse.
    metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    if (forDpi && dpi != SystemDpi()) {
        // This call knows only the full structure.
        metrics.cbSize = sizeof metrics;
        if (forDpi(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0, static_cast<UINT>(dpi))) return true;
        metrics.cbSize = offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    }
    return SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0) != FALSE;
}

UniqueGdiObject CreateArialForDpi(int designHeight, int weight, int dpi) {
    return UniqueGdiObject(CreateFontW(-ScaleForDpi(designHeight, dpi), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                       DEFAULT_PITCH | FF_SWISS, L"Arial"));
}

}  // namespace quorlin
