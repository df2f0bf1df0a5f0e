#include "base/Text_win.h"

#include <climits>

namespace quorlin {

namespace {

std::string Encode(std::wstring_view text, UINT codePage) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), n, nullptr, nullptr);
    return out;
}

// Empty when the bytes are not valid in the code page under the given flags.
std::wstring Decode(std::string_view text, UINT codePage, DWORD flags) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int n = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, out.data(), n);
    return out;
}

}  // namespace

std::string ToAnsi(std::wstring_view text) { return Encode(text, CP_ACP); }

std::wstring FromAnsi(std::string_view text) { return Decode(text, CP_ACP, 0); }

std::string ToUtf8(std::wstring_view text) { return Encode(text, CP_UTF8); }

std::wstring FromUtf8OrAnsi(std::string_view text) {
    std::wstring out = Decode(text, CP_UTF8, MB_ERR_INVALID_CHARS);
    return out.empty() ? FromAnsi(text) : out;
}

std::u16string ToU16(std::wstring_view text) {
    static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 wide characters");
    return std::u16string(text.begin(), text.end());
}

std::wstring LoadResString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer to the resource itself.
    const int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

}  // namespace quorlin
