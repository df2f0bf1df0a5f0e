// Scaling of the 96-DPI design to the DPI a window is shown at. Platform-free, so the arithmetic
// is tested natively; Dpi_win in shell/ asks the system for the DPI.
#pragma once
#include <cstdint>

namespace quorlin {

// The DPI the windows were designed at: one design pixel is one screen pixel there.
inline constexpr int kDesignDpi = 96;

// value * numerator / denominator with a 64-bit product, rounded half away from zero, as the
// system's MulDiv does; -1 for a zero denominator or a result beyond 32 bits, as MulDiv gives.
constexpr int MulDivRound(int value, int numerator, int denominator) noexcept {
    if (denominator == 0) return -1;
    std::int64_t product = std::int64_t{value} * numerator;
    std::int64_t divisor = denominator;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const std::int64_t half = divisor / 2;
    const std::int64_t result = product >= 0 ? (product + half) / divisor : -((-product + half) / divisor);
    if (result > INT32_MAX || result < INT32_MIN) return -1;
    return static_cast<int>(result);
}

// A design length (a position or a size in design pixels) at dpi; unchanged at 96.
constexpr int ScaleForDpi(int designValue, int dpi) noexcept { return MulDivRound(designValue, dpi, kDesignDpi); }

// A length laid out at one DPI, at another: for re-layout when a window changes monitors.
constexpr int RescaleForDpi(int value, int fromDpi, int toDpi) noexcept {
    return fromDpi == toDpi ? value : MulDivRound(value, toDpi, fromDpi);
}

}  // namespace quorlin
