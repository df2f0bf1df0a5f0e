// Shortcut texts with the system's key names and comparison, and the process's caption table.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "shortcuts/ShortcutText.h"

namespace quorlin {

// Key names from the keyboard layout (MapVirtualKeyA, GetKeyNameTextA) and comparison by
// CompareStringA with the user's default locale.
class Win32KeyText final : public KeyTextSystem {
public:
    std::string SystemKeyName(std::uint8_t key) const override;
    bool SameTextIgnoreCase(std::string_view a, std::string_view b) const override;
};

// The key captions in module's string table; any caption that is missing keeps its default.
KeyCaptionTable ReadKeyCaptionTable(HINSTANCE module);

// Fills the process-wide caption table from this program's string table. Call it once at start,
// before any shortcut is formatted or parsed; later calls change nothing.
void LoadKeyCaptionTable();
// The process-wide caption table (the defaults until LoadKeyCaptionTable ran).
const KeyCaptionTable& KeyCaptions();

// The conversions with the system's key names and the process-wide caption table.
std::string FormatShortCut(TShortCut value);
TShortCut ParseShortCut(const std::string& text);
// A shortcut text as a menu shows it beside an item; none for text that names no shortcut.
std::wstring ShortcutMenuText(std::wstring_view text);

}  // namespace quorlin
