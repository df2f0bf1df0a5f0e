#include "shortcuts/Capture.h"

namespace quorlin {

namespace {

// The modifier a key code stands for, or 0.
TShiftState ModifierOf(std::uint16_t key) {
    switch (key) {
        case 0x10: case 0xA0: case 0xA1: return ssShift;  // Shift, left, right
        case 0x11: case 0xA2: case 0xA3: return ssCtrl;
        case 0x12: case 0xA4: case 0xA5: return ssAlt;
        default: return 0;
    }
}

}  // namespace

bool IsModifierKey(std::uint16_t key) { return ModifierOf(key) != 0; }

void HeldModifierKeys::Reset(TShiftState held) { held_ = held & (ssShift | ssCtrl | ssAlt); }

void HeldModifierKeys::KeyDown(std::uint16_t key) { held_ |= ModifierOf(key); }

void HeldModifierKeys::KeyUp(std::uint16_t key) { held_ &= static_cast<TShiftState>(~ModifierOf(key)); }

bool IsStandaloneShortcutKey(std::uint16_t key) {
    if (key >= 0x70 && key <= 0x87) return true;  // F1 to F24
    if (key >= 0xA6 && key <= 0xB7) return true;  // browser, volume, media and launch keys
    return key == 0x13 || key == 0x91 || key == 0x5D;  // Pause, Scroll Lock, application key
}

TShortCut CapturedShortCut(std::uint16_t key, TShiftState held) {
    if (IsModifierKey(key)) return 0;
    if (!(held & (ssCtrl | ssAlt)) && !IsStandaloneShortcutKey(key)) return 0;
    return ComposeShortCut(key, held);
}

bool CaptureAccepts(TShortCut value) {
    const ShortCutParts parts = SplitShortCut(value);
    return value != 0 && parts.key <= 0xFF && CapturedShortCut(parts.key, parts.shift) == value;
}

}  // namespace quorlin
