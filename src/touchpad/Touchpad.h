// What the main window knows of the touchpad device. The connection to the touchpad driver is not
// part of this build yet, so no device is ever available: the touchpad menu item stays hidden and
// its settings controls stay greyed.
#pragma once

namespace quorlin {

inline bool IsTouchpadAvailable() { return false; }
inline bool IsTouchpadEnabled() { return false; }

}  // namespace quorlin
