// System-wide hotkeys for shortcut texts.
#pragma once
#include <windows.h>

#include <string_view>

#include "shortcuts/Hotkeys.h"

namespace quorlin {

// The hotkey a shortcut text names (through the system's key names); key 0 for no shortcut.
HotkeyParts ShortcutToHotkey(std::wstring_view text);

// Registers the shortcut as hotkey id of window. False when the system refused it, most often
// because another program holds that combination.
bool RegisterShortcutHotkey(HWND window, std::wstring_view text, int id);

}  // namespace quorlin
