#include "base/ProgramRule.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace quorlin;

namespace {

std::array<std::uint8_t, 4> Le(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 24)};
}

std::optional<ProgramRule> Dword(std::wstring_view name, std::uint32_t v) {
    const auto bytes = Le(v);
    return ParseStoredRule(name, kRegDword, bytes);
}

}  // namespace

TEST(ProgramRule, StoredNumbersAndWhatTheyMean) {
    struct Row {
        std::uint32_t stored;
        bool any, never, clicks;
        std::uint32_t interval;  // with the settings at 500
    };
    const Row rows[] = {
        {0, false, false, false, 500},   {1, true, true, false, 500},     {2, true, false, true, 500},
        {3, false, false, false, 500},   {99, false, false, false, 500},  {100, true, false, false, 100},
        {1000, true, false, false, 1000}, {5000, true, false, false, 5000}, {5001, false, false, false, 500},
        {0xFFFFFFFF, false, false, false, 500},
    };
    for (const Row& r : rows) {
        const ProgramRule rule = ProgramRule::FromStored(r.stored);
        EXPECT_EQ(rule.Any(), r.any) << r.stored;
        EXPECT_EQ(rule.NeverBlocks(), r.never) << r.stored;
        EXPECT_EQ(rule.ClicksOnly(), r.clicks) << r.stored;
        EXPECT_EQ(rule.IntervalOr(500), r.interval) << r.stored;
        EXPECT_EQ(rule.Code, r.any ? r.stored : 0u) << r.stored;
    }
}

TEST(ProgramRule, NamesAreFoldedFileNames) {
    EXPECT_EQ(ProgramName(L"C:\\Games\\Quake\\GAME.EXE"), L"game.exe");
    EXPECT_EQ(ProgramName(L"Z:/opt/Tool.Exe"), L"tool.exe");
    EXPECT_EQ(ProgramName(L"\\\\?\\D:Édit.exe"), L"édit.exe");
    EXPECT_EQ(ProgramName(L"C:\\ΚΕΙΜΕΝΟ\\ΚΕΙΜΕΝΟ-Ż-Ÿ-Д-Ё.EXE"), L"κειμενο-ż-ÿ-д-ё.exe");
    EXPECT_EQ(FoldCase(L"ABCXYZ_ÀÞ×ĀĹŽΑΩДЯЀЏ"), L"abcxyz_àþ×āĺžαωдяѐџ");
    EXPECT_EQ(FoldCase(L"İıĸſ"), L"İıĸſ");  // no simple pair: left as they are
    EXPECT_EQ(ProgramName(L""), L"");
}

TEST(ProgramRule, WhichNamesARuleCanHave) {
    for (std::wstring_view good : {L"game.exe", L"a", L"my editor (x64).exe", L"édit.exe", L"...exe"})
        EXPECT_TRUE(IsProgramName(good)) << std::wstring(good).size();
    const std::wstring longest(kMaxProgramNameLength, L'a');
    EXPECT_TRUE(IsProgramName(longest));
    for (std::wstring_view bad : {L"", L".", L"..", L"Game.exe", L"GAME.EXE", L"c:\\game.exe", L"dir/game.exe",
                                  L"a:b", L"a*b", L"a?b", L"a\"b", L"a<b", L"a>b", L"a|b", L"a\tb", L"Édit.exe"})
        EXPECT_FALSE(IsProgramName(bad)) << std::wstring(bad).size();
    EXPECT_FALSE(IsProgramName(longest + L"a"));
    EXPECT_FALSE(IsProgramName(std::wstring_view(L"a\0b", 3)));
}

TEST(ProgramRule, StoredValuesFromTheRegistryIncludingHostileOnes) {
    EXPECT_EQ(Dword(L"game.exe", 1), ProgramRule{1});
    EXPECT_EQ(Dword(L"paint.exe", 2), ProgramRule{2});
    EXPECT_EQ(Dword(L"editor.exe", 1000), ProgramRule{1000});
    for (std::uint32_t v : {0u, 3u, 99u, 5001u, 0x80000000u}) EXPECT_FALSE(Dword(L"game.exe", v)) << v;
    EXPECT_FALSE(Dword(L"Game.exe", 1)) << "stored names are lower case";
    EXPECT_FALSE(Dword(std::wstring(1 << 20, L'a'), 1)) << "a 1 MB name";
    const std::uint8_t text[] = {'1', 0, 0, 0};
    EXPECT_FALSE(ParseStoredRule(L"game.exe", 1 /*REG_SZ*/, text));
    EXPECT_FALSE(ParseStoredRule(L"game.exe", 3 /*REG_BINARY*/, text));
    EXPECT_FALSE(ParseStoredRule(L"game.exe", 5 /*REG_DWORD_BIG_ENDIAN*/, std::array<std::uint8_t, 4>{0, 0, 0, 1}));
    const std::uint8_t shortData[] = {1, 0};
    const std::uint8_t longData[] = {1, 0, 0, 0, 0, 0, 0, 0};
    EXPECT_FALSE(ParseStoredRule(L"game.exe", kRegDword, shortData));
    EXPECT_FALSE(ParseStoredRule(L"game.exe", kRegDword, longData));
    EXPECT_FALSE(ParseStoredRule(L"game.exe", kRegDword, {}));
}

TEST(ProgramRule, LookupIgnoresCaseAndTheLongestIntervalIsKnown) {
    ProgramRules rules;
    EXPECT_EQ(FindRule(rules, L"game.exe"), ProgramRule{});
    EXPECT_EQ(LongestRuleInterval(rules), 0u);
    rules[L"game.exe"] = ProgramRule{1};
    rules[L"édit.exe"] = ProgramRule{750};
    rules[L"paint.exe"] = ProgramRule{2};
    EXPECT_EQ(FindRule(rules, L"GAME.EXE"), ProgramRule{1});
    EXPECT_EQ(FindRule(rules, L"Édit.Exe"), ProgramRule{750});
    EXPECT_EQ(FindRule(rules, L"game.ex"), ProgramRule{});
    EXPECT_EQ(FindRule(rules, L""), ProgramRule{});
    EXPECT_EQ(LongestRuleInterval(rules), 750u);
    rules[L"slow.exe"] = ProgramRule{5000};
    EXPECT_EQ(LongestRuleInterval(rules), 5000u);
}
