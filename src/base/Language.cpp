#include "base/Language.h"

#include <array>

namespace quorlin {

namespace {

constexpr std::uint16_t kPrimaryChinese = 0x04;
// Chinese sublanguages written in simplified characters: the PRC and Singapore.
constexpr std::uint16_t kSublangChineseSimplified = 0x02;
constexpr std::uint16_t kSublangChineseSingapore = 0x04;

constexpr std::uint16_t Primary(std::uint16_t langId) { return langId & 0x3FF; }

constexpr wchar_t Lower(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

bool SameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i])) return false;
    return true;
}

}  // namespace

std::optional<std::uint16_t> TableForLangId(std::uint16_t langId) noexcept {
    if (Primary(langId) == kPrimaryChinese) {
        const std::uint16_t sub = langId >> 10;
        if (sub != kSublangChineseSimplified && sub != kSublangChineseSingapore) return std::nullopt;
    }
    for (const TextLanguage& language : kTextLanguages)
        if (Primary(language.LangId) == Primary(langId)) return language.LangId;
    return std::nullopt;
}

std::optional<std::uint16_t> TableForTag(std::wstring_view tag) noexcept {
    // The language subtag, then the rest (region or script), "-" or "_" between them.
    const std::size_t cut = tag.find_first_of(L"-_");
    const std::wstring_view language = tag.substr(0, cut);
    const std::wstring_view rest = cut == std::wstring_view::npos ? std::wstring_view() : tag.substr(cut + 1);
    if (language.size() < 2 || language.size() > 3) return std::nullopt;
    if (cut != std::wstring_view::npos && rest.empty()) return std::nullopt;
    for (wchar_t c : tag)
        if (!((c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') || c == L'-' || c == L'_'))
            return std::nullopt;
    if (SameIgnoringCase(language, L"zh")) {
        // Traditional characters have no table; a bare "zh" or a simplified region or script has.
        const std::wstring_view region = rest.substr(0, rest.find_first_of(L"-_"));
        for (std::wstring_view traditional : {L"tw", L"hk", L"mo", L"hant"})
            if (SameIgnoringCase(region, traditional)) return std::nullopt;
        return 0x0804;
    }
    for (const TextLanguage& known : kTextLanguages) {
        const std::wstring_view knownLanguage = known.Tag.substr(0, known.Tag.find(L'-'));
        if (SameIgnoringCase(language, knownLanguage)) return known.LangId;
    }
    return std::nullopt;
}

std::uint16_t ChooseTextLanguage(std::optional<std::wstring_view> stored, std::uint16_t uiLanguage) noexcept {
    if (stored)
        if (auto table = TableForTag(*stored)) return *table;
    return TableForLangId(uiLanguage).value_or(kEnglishLangId);
}

}  // namespace quorlin
