#include "shortcuts/Hotkeys_win.h"

#include "base/Text_win.h"
#include "shortcuts/ShortcutText_win.h"

namespace quorlin {

HotkeyParts ShortcutToHotkey(std::wstring_view text) { return HotkeyFromShortCut(ParseShortCut(ToAnsi(text))); }

bool RegisterShortcutHotkey(HWND window, std::wstring_view text, int id) {
    const HotkeyParts hotkey = ShortcutToHotkey(text);
    // Holding the shortcut down toggles once, not again with every key repeat.
    if (RegisterHotKey(window, id, hotkey.modifiers | MOD_NOREPEAT, hotkey.key)) return true;
    // A system that does not know the flag refuses it as a parameter: take the hotkey without it.
    return GetLastError() == ERROR_INVALID_PARAMETER && RegisterHotKey(window, id, hotkey.modifiers, hotkey.key);
}

}  // namespace quorlin
