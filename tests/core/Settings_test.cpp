#include "settings/Settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

using namespace quorlin;

namespace {
std::optional<BoundsRect> R(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    return BoundsRect{l, t, r, b};
}
}  // namespace

TEST(BoundsText, FormatsPlainDecimalWithSignAndNoBlanks) {
    EXPECT_EQ(FormatBounds({120, 80, 436, 526}), L"120,80,436,526");
    EXPECT_EQ(FormatBounds({-5, 10, 300, 400}), L"-5,10,300,400");
    EXPECT_EQ(FormatBounds({}), L"0,0,0,0");
    EXPECT_EQ(FormatBounds({INT32_MIN, INT32_MAX, -1, 0}), L"-2147483648,2147483647,-1,0");
}

TEST(BoundsText, FormattedTextReadsBack) {
    for (BoundsRect r : {BoundsRect{120, 80, 436, 526}, BoundsRect{-5, 10, 300, 400},
                         BoundsRect{INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}, BoundsRect{0, 0, 0, 1}})
        EXPECT_EQ(ParseBounds(FormatBounds(r)), r) << FormatBounds({r});
}

TEST(BoundsText, AllZeroOrUnreadableMeansCentre) {
    for (const wchar_t* text : {L"0,0,0,0", L"", L"a,b,c,d", L",,,", L"garbage", L"-0,+0,0,00", L"1.5,2e3,x,",
                                L"99999999999,2147483648,-2147483649,4294967296"})
        EXPECT_EQ(ParseBounds(text), std::nullopt) << text;
}

TEST(BoundsText, EachPartIsTrimmedAndReadOnItsOwn) {
    EXPECT_EQ(ParseBounds(L" -5 , 10\t,300 ,  400 "), R(-5, 10, 300, 400));
    EXPECT_EQ(ParseBounds(L"+7,8,9,10"), R(7, 8, 9, 10));
    // One bad part costs only itself.
    EXPECT_EQ(ParseBounds(L"10,abc,300,400"), R(10, 0, 300, 400));
    EXPECT_EQ(ParseBounds(L"1 2,3,4,5"), R(0, 3, 4, 5));
    EXPECT_EQ(ParseBounds(L"--1,-,+,5"), R(0, 0, 0, 5));
    EXPECT_EQ(ParseBounds(L"0x10,$10,10,0"), R(0, 0, 10, 0));
    // Only right and bottom set: still a stored text, the caller moves to (0, 0).
    EXPECT_EQ(ParseBounds(L"0,0,7,8"), R(0, 0, 7, 8));
}

TEST(BoundsText, ExtremesAndOverflow) {
    EXPECT_EQ(ParseBounds(L"2147483647,-2147483648,1,1"), R(INT32_MAX, INT32_MIN, 1, 1));
    EXPECT_EQ(ParseBounds(L"2147483648,-2147483649,1,1"), R(0, 0, 1, 1));
    EXPECT_EQ(ParseBounds(L"00000000000000000000000042,7,0,0"), R(42, 7, 0, 0));
    EXPECT_EQ(ParseBounds(L"123456789012345678901234567890,7,0,0"), R(0, 7, 0, 0));
}

TEST(BoundsText, SplitsAtTheSecondCommaThenAtTheFirstOfEachHalf) {
    EXPECT_EQ(ParseBounds(L"1,2"), R(1, 2, 0, 0));        // second half missing
    EXPECT_EQ(ParseBounds(L"1,2,3"), R(1, 2, 0, 0));      // second half without ","
    EXPECT_EQ(ParseBounds(L"1,2,3,4,5"), R(1, 2, 3, 0));  // "4,5" is not a number
    EXPECT_EQ(ParseBounds(L"5"), std::nullopt);           // one half without ","
    EXPECT_EQ(ParseBounds(L"5,,,"), R(5, 0, 0, 0));
}

TEST(IntervalList, TenEntriesInDisplayOrder) {
    ASSERT_EQ(kIntervalList.size(), 10u);
    EXPECT_EQ(kIntervalList.front().Prefix, L"0.1 ");
    EXPECT_EQ(kIntervalList[4].Prefix, L"3/4 ");
    EXPECT_EQ(kIntervalList[4].Milliseconds, 750u);
    EXPECT_EQ(kIntervalList.back().Prefix, L"3.0 ");
    for (std::size_t i = 1; i < kIntervalList.size(); ++i)
        EXPECT_LT(kIntervalList[i - 1].Milliseconds, kIntervalList[i].Milliseconds);
}

TEST(IntervalList, StoredIntervalIsRaisedToAnEntryOrCapped) {
    struct Case { std::int32_t stored; std::size_t index; std::uint32_t interval; };
    const Case cases[] = {
        {600, 4, 750},   {5000, 9, 3000}, {-1, 9, 3000},  {INT32_MIN, 9, 3000}, {0, 0, 100},
        {50, 0, 100},    {100, 0, 100},   {101, 1, 125},  {500, 3, 500},        {2999, 9, 3000},
        {3000, 9, 3000}, {3001, 9, 3000}, {1001, 6, 1500},
    };
    for (const auto& c : cases) {
        // The blocker holds the stored 32 bits as an unsigned number.
        const auto choice = ChooseInterval(static_cast<std::uint32_t>(c.stored));
        EXPECT_EQ(choice.Index, c.index) << c.stored;
        EXPECT_EQ(choice.Interval, c.interval) << c.stored;
    }
}

TEST(IntervalList, WorksOnTheListActuallyShown) {
    const std::vector<std::uint32_t> none;
    auto c = ChooseInterval(none, 750);
    EXPECT_EQ(c.Index, std::nullopt);
    EXPECT_EQ(c.Interval, 500u);

    const std::vector<std::uint32_t> two{200, 400};
    EXPECT_EQ(ChooseInterval(two, 0).Index, 0u);
    EXPECT_EQ(ChooseInterval(two, 201).Interval, 400u);
    EXPECT_EQ(ChooseInterval(two, 401).Index, 1u);
}

TEST(RunEntry, NameIsTheFileNameAndDataTheQuotedPathWithStartupArgument) {
    EXPECT_EQ(RunEntryName(L"C:\\Program Files\\Quorlin\\Quorlin.exe"), L"Quorlin.exe");
    EXPECT_EQ(RunEntryCommand(L"C:\\Program Files\\Quorlin\\Quorlin.exe"),
              L"\"C:\\Program Files\\Quorlin\\Quorlin.exe\" -startup");
    EXPECT_EQ(RunEntryName(L"C:Quorlin.exe"), L"Quorlin.exe");
    EXPECT_EQ(RunEntryName(L"\\\\server\\share\\tools.v2\\My Quorlin.EXE"), L"My Quorlin.EXE");
    EXPECT_EQ(RunEntryName(L"Quorlin.exe"), L"Quorlin.exe");
    EXPECT_EQ(RunEntryName(L"C:\\dir\\"), L"");
    EXPECT_EQ(RunEntryCommand(L"\\\\?\\C:\\x y\\q.exe"), L"\"\\\\?\\C:\\x y\\q.exe\" -startup");
    // And back: the executable an entry starts, quoted or up to the first blank.
    EXPECT_EQ(RunEntryExecutable(RunEntryCommand(L"C:\\x y\\q.exe")), L"C:\\x y\\q.exe");
    EXPECT_EQ(RunEntryExecutable(L" \tC:\\q.exe -startup"), L"C:\\q.exe");
    EXPECT_EQ(RunEntryExecutable(L"\"C:\\x y\\q.exe"), L"") << "unclosed quote";
    EXPECT_EQ(RunEntryExecutable(L" "), L"");
}

TEST(SettingsNames, KeyPathAndLegacyNames) {
    EXPECT_EQ(RelativeKeyPath(kSettingsKeyPath), L"Software\\VENTARIS\\Quorlin");
    EXPECT_EQ(RelativeKeyPath(L"\\\\x"), L"x");
    std::vector<std::wstring_view> names;
    std::vector<std::pair<std::wstring_view, std::wstring_view>> renamed;
    ForEachSetting([&](const auto& row) {
        names.push_back(row.Name.Name);
        if (!row.Name.Legacy.empty()) {
            names.push_back(row.Name.Legacy);
            renamed.emplace_back(row.Name.Name, row.Name.Legacy);
        }
    });
    const std::vector<std::pair<std::wstring_view, std::wstring_view>> expected{
        {L"Delay", L"Threshhold"}, {L"BlockerSwitch", L"ShortcutEnabled"}, {L"BlockerShortcut", L"Shortcut"}};
    EXPECT_EQ(renamed, expected);
    // A name used twice would make one value read or overwrite another.
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}
