// A shortcut value as the key and modifier flags of a system-wide hotkey.
#pragma once
#include <cstdint>

#include "shortcuts/ShortcutText.h"

namespace quorlin {

// The system's hotkey modifier flags.
inline constexpr unsigned kModAlt = 1;
inline constexpr unsigned kModControl = 2;
inline constexpr unsigned kModShift = 4;

struct HotkeyParts {
    std::uint16_t key = 0;
    unsigned modifiers = 0;
    bool operator==(const HotkeyParts&) const = default;
};

// The key and the modifiers of the held keys; 0 gives key 0 and no modifiers.
HotkeyParts HotkeyFromShortCut(TShortCut value);

}  // namespace quorlin
