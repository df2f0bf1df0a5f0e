// The ring the mouse hook writes the presses soon after a key into, on the locked hook pages.
#pragma once
#include "blocker/ActivityRing.h"

namespace quorlin {

extern activity::PressRing PressLog;

}  // namespace quorlin
