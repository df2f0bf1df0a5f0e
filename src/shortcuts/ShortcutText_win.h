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

// The key captions of a module's string table in one language. A caption missing there, or with a
// character the ANSI code page cannot hold (a language chosen apart from the system's), keeps its
// English default.
KeyCaptionTable ReadKeyCaptionTable(HINSTANCE module, LANGID language);

// Fills the process-wide caption table from this program's string table in the language of its
// texts. Call it once at start, after the language is chosen and before any shortcut is formatted
// or parsed; later calls change nothing.
void LoadKeyCaptionTable();
// The process-wide caption table of the user's language (the English defaults until
// LoadKeyCaptionTable ran).
const KeyCaptionTable& KeyCaptions();

// The conversions with the system's key names. FormatShortCut gives the stored (English) form;
// ParseShortCut reads the stored form, then the user's language.
std::string FormatShortCut(TShortCut value);
TShortCut ParseShortCut(const std::string& text);
// A shortcut as the user's language shows it, from its value or from a stored text (shown as it is
// when it names none).
std::wstring ShownShortcut(TShortCut value);
std::wstring ShownShortcut(std::wstring_view stored);
// The stored form of a text that may be in the user's language.
std::wstring StoredShortcut(std::wstring_view text);
// A shortcut text as a menu shows it beside an item; none for text that names no shortcut.
std::wstring ShortcutMenuText(std::wstring_view text);

}  // namespace quorlin
