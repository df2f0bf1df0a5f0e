// The held keys and buttons of an input event as one bit mask, and where the system's idea of
// which modifier keys are down is read.
#pragma once
#include <cstdint>

namespace quorlin {

// One bit per member. Note the order differs from a shortcut value's bits: Shift, Alt, Ctrl here.
using TShiftState = std::uint8_t;
inline constexpr TShiftState ssShift = 1;
inline constexpr TShiftState ssAlt = 2;
inline constexpr TShiftState ssCtrl = 4;
inline constexpr TShiftState ssLeft = 8;
inline constexpr TShiftState ssRight = 16;
inline constexpr TShiftState ssMiddle = 32;
inline constexpr TShiftState ssDouble = 64;

// Which record of the keys to ask: this thread's (in step with the messages it has taken) or the
// system's at this moment (what the hand does now).
enum class KeyRecord { Thread, Now };

// Shift, Ctrl and Alt held, as the record has them.
TShiftState ModifiersHeld(KeyRecord record);
// Any of Shift, Ctrl, Alt or a Windows key held at this moment.
bool AnyModifierHeldNow();

}  // namespace quorlin
