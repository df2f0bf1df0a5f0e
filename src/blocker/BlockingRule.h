// The decisions of the input hooks, free of any system call so they can be tested anywhere.
#pragma once
#include <cstdint>

namespace quorlin {

// Posted (never sent) to the notify window for each swallowed mouse event; wParam is its message.
inline constexpr unsigned WM_BLOCKED_EVENT = 0x753;

namespace rule {

inline constexpr int kHcAction = 0;
inline constexpr std::uintptr_t kKeyDown = 0x100;
inline constexpr std::uintptr_t kKeyUp = 0x101;

// Modifier and lock keys never start a blocking window, so Ctrl+click and Shift+click keep working.
constexpr bool IsExcludedKey(std::uint32_t vk) noexcept {
    switch (vk) {
    case 16: case 17: case 18:            // Shift, Ctrl, Alt
    case 20:                              // Caps Lock
    case 91: case 92:                     // Windows keys
    case 144: case 145:                   // Num Lock, Scroll Lock
    case 160: case 161: case 162: case 163: case 164: case 165:  // left/right Shift, Ctrl, Alt
        return true;
    default:
        return false;
    }
}

// Only plain key presses and releases count; WM_SYSKEYDOWN/UP (keys held with Alt, F10) do not.
constexpr bool StampsKeyTick(int nCode, std::uintptr_t wParam, std::uint32_t vk) noexcept {
    return nCode == kHcAction && (wParam == kKeyDown || wParam == kKeyUp) && !IsExcludedKey(vk);
}

// Button presses and double clicks are always candidates, releases never;
// everything else (moves, wheel, X buttons) only when other events are blocked too.
constexpr bool IsCandidate(std::uintptr_t mouseMessage, bool blockOtherEvents) noexcept {
    switch (mouseMessage) {
    case 0x201: case 0x203:  // left down, double click
    case 0x204: case 0x206:  // right
    case 0x207: case 0x209:  // middle
        return true;
    case 0x202: case 0x205: case 0x208:  // releases reach their window on their own
        return false;
    default:
        return blockOtherEvents;
    }
}

// Unsigned arithmetic makes the tick counter's wrap-around after 49.7 days harmless.
constexpr bool IsWithinInterval(std::uint32_t now, std::uint32_t lastKeyTick, std::uint32_t interval) noexcept {
    return static_cast<std::uint32_t>(now - lastKeyTick) < interval;
}

constexpr bool ShouldBlockMouse(int nCode, std::uintptr_t mouseMessage, bool blockOtherEvents,
                                std::uint32_t now, std::uint32_t lastKeyTick, std::uint32_t interval) noexcept {
    return nCode == kHcAction && IsCandidate(mouseMessage, blockOtherEvents) &&
           IsWithinInterval(now, lastKeyTick, interval);
}

}  // namespace rule
}  // namespace quorlin
