#include "shell/OneInstance.h"

#include <gtest/gtest.h>

#include "shell/Application.h"

using namespace quorlin;

namespace {

TEST(OneInstanceNames, PerUserNamesOfTheProgram) {
    const auto names = MakeOneInstanceNames(OneInstanceUserPrefix(pcForCurrentUserOnly, L"user1"), L"Quorlin", L"");
    EXPECT_EQ(names.criticalSection, L"user1.Quorlin.OneInstance.CriticalSection");
    EXPECT_EQ(names.instance, L"user1.Quorlin.OneInstance.Default");
}

TEST(OneInstanceNames, UserPrefixFollowsTheScope) {
    EXPECT_EQ(OneInstanceUserPrefix(pcGlobal, L"user1"), L"");
    EXPECT_EQ(OneInstanceUserPrefix(pcForCurrentUserOnly, L"user1"), L"user1.");
    // A name that could not be read leaves the dot alone.
    EXPECT_EQ(OneInstanceUserPrefix(pcForCurrentUserOnly, L""), L".");
    EXPECT_EQ(MakeOneInstanceNames(OneInstanceUserPrefix(pcGlobal, L"x"), L"Quorlin", L"").instance,
              L"Quorlin.OneInstance.Default");
    EXPECT_EQ(MakeOneInstanceNames(OneInstanceUserPrefix(pcForCurrentUserOnly, L""), L"Quorlin", L"").instance,
              L".Quorlin.OneInstance.Default");
    // Different users get different names.
    EXPECT_NE(MakeOneInstanceNames(L"alice.", L"Quorlin", L"").instance,
              MakeOneInstanceNames(L"bob.", L"Quorlin", L"").instance);
}

TEST(OneInstanceNames, IdentifierFollowsTheTitle) {
    const auto names = MakeOneInstanceNames(L"", L"Quorlin", L"Beta");
    EXPECT_EQ(names.criticalSection, L"QuorlinBeta.OneInstance.CriticalSection");
    EXPECT_EQ(names.instance, L"QuorlinBeta.OneInstance.Default");
}

TEST(OneInstanceNames, EveryBackslashBecomesASlash) {
    // Anywhere in the base name: user prefix, title and identifier.
    const auto names = MakeOneInstanceNames(L"DOM\\u.", L"Global\\Quorlin\\", L"a\\b");
    EXPECT_EQ(names.criticalSection, L"DOM/u.Global/Quorlin/a/b.OneInstance.CriticalSection");
    EXPECT_EQ(names.instance, L"DOM/u.Global/Quorlin/a/b.OneInstance.Default");
    EXPECT_EQ(names.instance.find(L'\\'), std::wstring::npos);
    // Non-ASCII text passes unchanged.
    EXPECT_EQ(MakeOneInstanceNames(L"J\u00fcrgen.", L"Q\u00e9", L"").instance, L"J\u00fcrgen.Q\u00e9.OneInstance.Default");
}

TEST(ErrorBoxText, DotOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(ErrorBoxText(L"Cannot open the file"), L"Cannot open the file.");
    EXPECT_EQ(ErrorBoxText(L"Done."), L"Done.");
    EXPECT_EQ(ErrorBoxText(L"Really?"), L"Really?.");  // '?' sorts after '.'
    EXPECT_EQ(ErrorBoxText(L"Stop!"), L"Stop!");       // '!' sorts before '.'
    EXPECT_EQ(ErrorBoxText(L"Count: 5"), L"Count: 5.");
    EXPECT_EQ(ErrorBoxText(L"a-"), L"a-");             // '-' sorts before '.'
    EXPECT_EQ(ErrorBoxText(L"a/"), L"a/.");            // '/' right after '.'
    EXPECT_EQ(ErrorBoxText(L""), L"");
}

}  // namespace
