// Switches a touchpad of the supported make on and off through its driver's COM API. Connects once
// at start; without the driver the switch is simply unavailable. Nothing here raises an error or
// shows a message: every failure is an unavailable switch or a false answer. GUI thread only.
#pragma once

namespace quorlin {

// True only when the whole connection sequence at start succeeded.
extern bool SynapticsAvailable;

// Looks the driver's API class up in the registry; only when it is registered, initialises COM on
// the thread (single-threaded apartment) and connects to the driver. Once, at the very start of
// the program.
void InitSynapticsApi();
// True when the switch is available and the touchpad reports itself enabled; false otherwise.
bool IsTouchpadEnabled();
// Writes the state to the device; true when the driver accepted it.
bool EnableTouchpad();
bool DisableTouchpad();
// Releases the device object, then the API object. Once, after the message loop has ended.
void ReleaseSynapticsApi();

}  // namespace quorlin
