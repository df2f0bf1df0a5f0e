// The system side of switching a precision touchpad: what the system reports about touchpads,
// whether the user holds a modifier, and sending Ctrl+Win+F24 marked as the program's own input.
#pragma once

#include "touchpad/PrecisionTouchpad.h"

namespace quorlin::touchpad {

// The touchpad parameters (Windows 11 24H2 and later) and the raw input device list; cheap enough
// to ask again whenever a text shows the state.
SystemReport ReadSystemTouchpad();

// Sends the combination in one piece; if the system takes only part of it, releases what went down.
// True when the whole combination went in.
bool SendCombination();

}  // namespace quorlin::touchpad
