// Raw input for the device options, read on a thread of its own and handed to the hooks.
#pragma once
#include "blocker/InputDevices.h"

namespace quorlin {

// The reports the raw input thread has read and the hooks have not yet taken, in arrival order.
extern devices::ReportRing RawReports;

struct RawKinds {
    bool Mouse = false;
    bool Keyboard = false;
};

// Registers raw input for the kinds asked for on the raw input thread (started when first needed,
// ended when neither is asked for) and returns the kinds registered; a refused registration
// leaves a kind out. Device arrivals and removals are posted to the blocker's notify window.
RawKinds SetRawInput(bool mouse, bool keyboard);

}  // namespace quorlin
