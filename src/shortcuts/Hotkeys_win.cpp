#include "shortcuts/Hotkeys_win.h"

#include "base/Text_win.h"
#include "shortcuts/ShortcutText_win.h"

namespace quorlin {

HotkeyParts ShortcutToHotkey(std::wstring_view text) { return HotkeyFromShortCut(ParseShortCut(ToAnsi(text))); }

bool RegisterShortcutHotkey(HWND window, std::wstring_view text, int id) {
    const HotkeyParts hotkey = ShortcutToHotkey(text);
    return RegisterHotKey(window, id, hotkey.modifiers, hotkey.key) != FALSE;
}

}  // namespace quorlin
