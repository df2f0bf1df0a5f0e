#include <windows.h>

#include "base/Keys.h"

namespace quorlin {

TShiftState ModifiersHeld(KeyRecord record) {
    auto down = [record](int vk) { return (record == KeyRecord::Thread ? GetKeyState(vk) : GetAsyncKeyState(vk)) < 0; };
    TShiftState shift = 0;
    if (down(VK_SHIFT)) shift |= ssShift;
    if (down(VK_CONTROL)) shift |= ssCtrl;
    if (down(VK_MENU)) shift |= ssAlt;
    return shift;
}

bool AnyModifierHeldNow() {
    return ModifiersHeld(KeyRecord::Now) != 0 || GetAsyncKeyState(VK_LWIN) < 0 || GetAsyncKeyState(VK_RWIN) < 0;
}

}  // namespace quorlin
