#include "shortcuts/Hotkeys.h"

namespace quorlin {

HotkeyParts HotkeyFromShortCut(TShortCut value) {
    const ShortCutParts parts = SplitShortCut(value);
    HotkeyParts hotkey{parts.key, 0};
    if (parts.shift & ssShift) hotkey.modifiers |= kModShift;
    if (parts.shift & ssAlt) hotkey.modifiers |= kModAlt;
    if (parts.shift & ssCtrl) hotkey.modifiers |= kModControl;
    return hotkey;
}

}  // namespace quorlin
