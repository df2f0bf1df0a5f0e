// Text conversions between the program's UTF-16 and the byte forms some system calls want, and
// the program's string table.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace quorlin {

std::string ToAnsi(std::wstring_view text);    // the ANSI code page; unmappable characters become "?"
std::wstring FromAnsi(std::string_view text);
std::string ToUtf8(std::wstring_view text);
// Strict UTF-8 when the bytes are valid UTF-8, the ANSI code page otherwise (texts of errors that
// may come from either).
std::wstring FromUtf8OrAnsi(std::string_view text);
// The same UTF-16 code units as a char16_t string (wchar_t is 16 bits on Windows).
std::u16string ToU16(std::wstring_view text);

// The exact text in the ANSI code page; nothing when a character has no place there.
std::optional<std::string> ToAnsiExactly(std::wstring_view text);

// The language of the program's texts (a LANGID of the resource script's string tables): set once
// at start, English until then.
void SetTextLanguage(LANGID language);
LANGID CurrentTextLanguage();

// A string of a module's string table in exactly that language's table; empty when missing.
std::wstring LoadResString(HMODULE module, UINT id, LANGID language);
// A string of the program's string table in the text language, in English where the translation
// lacks it; empty when missing.
std::wstring LoadResString(UINT id);

}  // namespace quorlin
