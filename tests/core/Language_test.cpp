#include "base/Language.h"

#include <gtest/gtest.h>

using namespace quorlin;

TEST(TextLanguage, WindowsLanguageWithRegionalFallbackAndStoredOverride) {
    // de-AT, fr-CA, pt-PT, es-MX and zh-SG take their language; Chinese in traditional characters
    // (zh-TW, zh-HK), Russian and the neutral language take English.
    const std::pair<std::uint16_t, std::uint16_t> byWindows[] = {
        {0x0C07, 0x0407}, {0x0C0C, 0x040C}, {0x0816, 0x0416}, {0x080A, 0x0C0A}, {0x1004, 0x0804},
        {0x0411, 0x0411}, {0x0404, 0x0409}, {0x0C04, 0x0409}, {0x0419, 0x0409}, {0x0000, 0x0409}};
    for (auto [windows, table] : byWindows) EXPECT_EQ(ChooseTextLanguage(std::nullopt, windows), table) << windows;
    const std::pair<const wchar_t*, std::uint16_t> byStored[] = {
        {L"DE-at", 0x0407}, {L"pt_BR", 0x0416}, {L"zh-Hans-CN", 0x0804}, {L"en", 0x0409}};
    for (auto [stored, table] : byStored) EXPECT_EQ(ChooseTextLanguage(stored, 0x0411), table);
    // A stored value that names no table leaves Windows' choice.
    for (const wchar_t* stored : {L"", L"ru", L"zh-TW", L"german", L"de-", L"d\u00e9"})
        EXPECT_EQ(ChooseTextLanguage(stored, 0x0C07), 0x0407);
}
