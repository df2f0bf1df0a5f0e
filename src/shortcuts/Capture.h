// What a shortcut box makes of the keys it receives: the modifiers held, followed from the key
// messages themselves, and which released key may become a system-wide shortcut.
#pragma once
#include <cstdint>

#include "shortcuts/ShortcutText.h"

namespace quorlin {

// Shift, Ctrl and Alt (the generic codes and their left and right variants).
bool IsModifierKey(std::uint16_t key);

// The modifiers held, as the key presses and releases a window has received tell it. The
// thread's key state can lag behind those messages, so it serves only as the starting point
// when the window gets the focus.
class HeldModifierKeys {
public:
    void Reset(TShiftState held);
    void KeyDown(std::uint16_t key);
    void KeyUp(std::uint16_t key);
    TShiftState Held() const { return held_; }

private:
    TShiftState held_ = 0;
};

// Whether key is safe as a shortcut without Ctrl or Alt: the function keys, Pause, Scroll Lock,
// the application key and the browser and media keys. A typing or navigation key taken system-
// wide would be lost to every program; Shift alone leaves it a typing key.
bool IsStandaloneShortcutKey(std::uint16_t key);

// The shortcut a released key makes with the held modifiers, or 0 when the key may not be one.
TShortCut CapturedShortCut(std::uint16_t key, TShiftState held);
// Whether the capture would have taken this value: a stored one it would refuse (a typing key
// written by hand or by an older version) is never taken system-wide either.
bool CaptureAccepts(TShortCut value);

}  // namespace quorlin
