#include "base/ProgramRule.h"

#include <gtest/gtest.h>

using namespace quorlin;

TEST(ProgramRule, NamesAreFoldedFileNames) {
    EXPECT_EQ(ProgramName(L"C:\\Games\\Quake\\GAME.EXE"), L"game.exe");
    EXPECT_EQ(ProgramName(L"Z:/opt/Tool.Exe"), L"tool.exe");
    EXPECT_EQ(ProgramName(L"C:\\ΚΕΙΜΕΝΟ\\ΚΕΙΜΕΝΟ-Ż-Ÿ-Д-Ё.EXE"), L"κειμενο-ż-ÿ-д-ё.exe");
    EXPECT_EQ(FoldCase(L"ABCXYZ_ÀÞ×ĀĹŽΑΩДЯЀЏ"), L"abcxyz_àþ×āĺžαωдяѐџ");
    EXPECT_EQ(FoldCase(L"İıĸſ"), L"İıĸſ");  // no simple pair: left as they are
}

TEST(ProgramRule, WhichNamesARuleCanHave) {
    for (std::wstring_view good : {L"game.exe", L"a", L"my editor (x64).exe", L"édit.exe"})
        EXPECT_TRUE(IsProgramName(good)) << good.size();
    const std::wstring longest(kMaxProgramNameLength, L'a');
    EXPECT_TRUE(IsProgramName(longest));
    EXPECT_FALSE(IsProgramName(longest + L"a"));
    for (std::wstring_view bad : {L"", L".", L"..", L"Game.exe", L"c:\\game.exe", L"dir/game.exe", L"a:b", L"a*b",
                                  L"a?b", L"a\"b", L"a<b", L"a>b", L"a|b", L"a\tb", L"Édit.exe"})
        EXPECT_FALSE(IsProgramName(bad)) << bad.size();
}

TEST(ProgramRule, StoredValuesIncludingHostileOnes) {
    for (std::uint32_t v : {1u, 2u, 100u, 5000u}) EXPECT_TRUE(IsStoredRule(L"game.exe", v)) << v;
    for (std::uint32_t v : {0u, 3u, 99u, 5001u, 0x80000000u}) EXPECT_FALSE(IsStoredRule(L"game.exe", v)) << v;
    EXPECT_FALSE(IsStoredRule(L"Game.exe", 1)) << "stored names are lower case";
    EXPECT_FALSE(IsStoredRule(std::wstring(1 << 20, L'a'), 1)) << "a 1 MB name";
}

TEST(ProgramRule, LookupIgnoresCaseAndTheLongestIntervalIsKnown) {
    ProgramRules rules{{L"game.exe", 1}, {L"édit.exe", 750}, {L"paint.exe", 2}, {L"removed.exe", 0}};
    EXPECT_EQ(LongestRuleInterval({}), 0u);
    EXPECT_EQ(FindRule(rules, L"GAME.EXE"), ProgramRule{1});
    EXPECT_EQ(FindRule(rules, L"Édit.Exe"), ProgramRule{750});
    EXPECT_EQ(FindRule(rules, L"game.ex"), ProgramRule{});
    EXPECT_EQ(FindRule(rules, L"removed.exe"), ProgramRule{});
    EXPECT_EQ(LongestRuleInterval(rules), 750u);
}
