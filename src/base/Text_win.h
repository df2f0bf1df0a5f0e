// Text conversions between the program's UTF-16 and the byte forms some system calls want, and
// the program's string table.
#pragma once
#include <windows.h>

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

// A string of the program's string table; empty when missing.
std::wstring LoadResString(UINT id);

}  // namespace quorlin
