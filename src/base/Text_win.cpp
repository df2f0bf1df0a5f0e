#include "base/Text_win.h"

#include <climits>

#include "base/Language.h"

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

std::optional<std::string> ToAnsiExactly(std::wstring_view text) {
    if (text.empty()) return std::string();
    if (text.size() > INT_MAX) return std::nullopt;
    BOOL lost = FALSE;
    const int length = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_ACP, 0, text.data(), length, nullptr, 0, nullptr, &lost);
    if (n <= 0 || lost) return std::nullopt;
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.data(), length, out.data(), n, nullptr, nullptr);
    return out;
}

namespace {
// Chosen once at start, before any window exists; read-only afterwards.
LANGID g_textLanguage = kEnglishLangId;
}  // namespace

void SetTextLanguage(LANGID language) { g_textLanguage = language; }

LANGID CurrentTextLanguage() { return g_textLanguage; }

std::wstring LoadResString(HMODULE module, UINT id, LANGID language) {
    // Strings live in blocks of 16, block n + 1 holding ids 16n to 16n + 15, each a length and that
    // many UTF-16 units. Asked by language: the system's own choice would follow the thread, not
    // the stored Language value.
    HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
    if (!found) return {};
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = static_cast<const WCHAR*>(loaded ? LockResource(loaded) : nullptr);
    if (!data) return {};
    const WCHAR* end = data + SizeofResource(module, found) / sizeof(WCHAR);
    for (UINT i = 0; i < id % 16 && data < end; ++i) data += 1 + *data;
    if (data >= end || data + 1 + *data > end) return {};
    return std::wstring(data + 1, *data);
}

std::wstring LoadResString(UINT id) {
    HMODULE self = GetModuleHandleW(nullptr);
    std::wstring text = LoadResString(self, id, g_textLanguage);
    // A text the translation lacks is shown in English.
    if (text.empty() && g_textLanguage != kEnglishLangId) text = LoadResString(self, id, kEnglishLangId);
    return text;
}

}  // namespace quorlin
