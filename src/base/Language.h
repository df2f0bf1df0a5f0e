// The languages the program's texts come in, and which of them a user gets. Platform-free: the
// caller hands in Windows' user interface language and the stored choice.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

namespace quorlin {

// A language of the string tables: the tag the stored choice names it by and the LANGID its
// table carries in the resource script.
struct TextLanguage {
    std::wstring_view Tag;
    std::uint16_t LangId;
};

inline constexpr std::uint16_t kEnglishLangId = 0x0409;

inline constexpr TextLanguage kTextLanguages[] = {
    {L"en", kEnglishLangId}, {L"de", 0x0407}, {L"fr", 0x040C}, {L"es", 0x0C0A}, {L"it", 0x0410},
    {L"pt-BR", 0x0416},      {L"pl", 0x0415}, {L"ja", 0x0411}, {L"zh-CN", 0x0804},
};

// The table for a Windows LANGID: the same language in any region (de-AT takes German, pt-PT
// Brazilian Portuguese, zh-SG Simplified Chinese); nothing for a language without a table and for
// Chinese written in traditional characters (zh-TW, zh-HK, zh-MO).
std::optional<std::uint16_t> TableForLangId(std::uint16_t langId) noexcept;

// The table for a language tag such as "de", "de-AT", "pt_BR" or "zh-Hans" (any case); nothing
// for an unknown or malformed tag.
std::optional<std::uint16_t> TableForTag(std::wstring_view tag) noexcept;

// The stored choice when it names a table, else Windows' user interface language, else English.
std::uint16_t ChooseTextLanguage(std::optional<std::wstring_view> stored, std::uint16_t uiLanguage) noexcept;

}  // namespace quorlin
