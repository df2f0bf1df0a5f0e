#include "blocker/HookDecision.h"
#include "blocker/InputOrder.h"
#include "ui/model/Activity.h"
#include "ui/model/Diagnostics.h"

#include <gtest/gtest.h>

using namespace quorlin;
using namespace quorlin::activity;

namespace {

// A press `after` ms after a key struck at tick `key`, at (x, y).
Press At(std::uint32_t key, std::uint32_t after, bool blocked, std::int32_t x = 10, Button b = Button::Left) {
    Press p;
    p.Tick = key + after;
    p.AfterKey = after;
    p.X = x;
    p.Y = 20;
    p.Blocked = blocked;
    p.Which = b;
    p.Length = 500;
    return p;
}

Entry E(const Press& p, int dpi = 96) { return Entry{p, 0, L"app.exe", dpi}; }

// Each press after a key of its own, far apart: nothing repeats.
void AddSeries(Log& log, std::uint32_t& key, int n, std::uint32_t after, bool blocked) {
    for (int i = 0; i < n; ++i, key += 10000) log.Add(E(At(key, after, blocked)));
}

// A blocked press repeated at once: the second one passes.
void AddRepeated(Log& log, std::uint32_t& key, std::uint32_t after) {
    log.Add(E(At(key, after, true)));
    log.Add(E(At(key, after + 400, false)));
    key += 10000;
}

}  // namespace

TEST(PressRing, ReadsInOrderAndSkipsWhatTheWriterWentRoundPast) {
    PressRing ring;
    std::vector<std::uint32_t> ticks;
    const auto collect = [&](const Press& p) { ticks.push_back(p.Tick); };
    Press p = At(0xFFFFFF00u, 7, true, -3, Button::Middle);  // a tick just before the wrap
    p.By = Decider::ShortStage;
    p.Window = 0x80123456u;
    p.Length = 70000;  // saturates
    p.Y = -32768;
    ring.Write(p);
    p.Length = 0xFFFF;
    std::uint32_t next = ring.Read(0, [&](const Press& got) { EXPECT_EQ(got, p); });
    EXPECT_EQ(next, 1u);
    for (std::uint32_t i = 1; i <= 300; ++i) ring.Write(At(i * 1000, 1, false));
    next = ring.Read(next, collect);
    EXPECT_EQ(next, 301u);
    ASSERT_EQ(ticks.size(), PressRing::kSize);  // the oldest were written over
    EXPECT_EQ(ticks.front(), (301 - PressRing::kSize) * 1000 + 1);
    EXPECT_EQ(ticks.back(), 300u * 1000 + 1);
    ticks.clear();
    EXPECT_EQ(ring.Read(next, collect), 301u);
    EXPECT_TRUE(ticks.empty());
}

TEST(Activity, RepeatedIsTheSameButtonNearbySoonWithNoKeyBetween) {
    const Press first = At(1000, 150, true);
    const auto repeats = [&](Press later, int dpi = 96) { return IsRepeatOf(E(first, dpi), later); };
    EXPECT_TRUE(repeats(At(1000, 150 + 1500, false, 18)));
    EXPECT_FALSE(repeats(At(1000, 150 + 1501, false)));                     // too late
    EXPECT_FALSE(repeats(At(1000, 400, false, 19)));                        // too far at 96 DPI
    EXPECT_TRUE(repeats(At(1000, 400, false, 22), 144));                    // 12 px at 144 DPI
    EXPECT_FALSE(repeats(At(1000, 400, false, 10, Button::Right)));         // another button
    EXPECT_FALSE(repeats(At(1300, 100, false)));                            // a key between

    Log log;
    log.Add(E(At(1000, 150, true)));
    log.Add(E(At(1000, 300, true)));   // repeats the first and is repeated itself
    log.Add(E(At(1000, 700, false)));  // passes: its own result stays
    log.Add(E(At(1000, 1800, false)));
    log.Add(E(At(1000, 2100, false)));  // not listed: too long after the key
    std::vector<Result> results;
    for (const Entry* e : log.Listed()) results.push_back(e->Outcome());
    EXPECT_EQ(results, (std::vector{Result::Passed, Result::Passed, Result::Repeated, Result::Repeated}));
    log.Clear();
    EXPECT_TRUE(log.Listed().empty());
}

TEST(Activity, HistogramBinsAndListLength) {
    EXPECT_EQ(BinOf(0), 0u);
    EXPECT_EQ(BinOf(99), 0u);
    EXPECT_EQ(BinOf(100), 1u);
    EXPECT_EQ(BinOf(1999), kBins - 1);
    EXPECT_EQ(BinOf(2000), kBins - 1);
    Log log;
    std::uint32_t key = 0;
    AddSeries(log, key, 130, 1999, false);
    AddSeries(log, key, 2, 120, true);
    AddRepeated(log, key, 150);
    const auto listed = log.Listed();
    EXPECT_EQ(listed.size(), Log::kListed);
    const Histogram h = MakeHistogram(listed);
    EXPECT_EQ(h.Counts[0][1], 2u);
    EXPECT_EQ(h.Counts[1][1], 1u);
    EXPECT_EQ(h.Counts[2][5], 1u);  // the repeat, 550 ms after the key
    EXPECT_EQ(h.Counts[2][kBins - 1], Log::kListed - 4);
    EXPECT_EQ(h.Highest(), Log::kListed - 4);
}

TEST(Activity, SuggestionFromRepeatedAndOtherBlockedPresses) {
    const std::uint32_t intervals[] = {100, 250, 500, 750};
    const auto suggest = [&](int palms, std::uint32_t palmAfter, std::vector<std::uint32_t> repeats) {
        Log log;
        std::uint32_t key = 0;
        AddSeries(log, key, palms, palmAfter, true);
        for (std::uint32_t after : repeats) AddRepeated(log, key, after);
        return Suggest(log.Listed(), intervals);
    };
    using K = Suggestion::Kind;
    EXPECT_EQ(suggest(17, 80, {300, 320}), Suggestion{});           // too few repeated
    EXPECT_EQ(suggest(16, 80, {300, 320, 340}), Suggestion{});      // 19 blocked in all
    EXPECT_EQ(suggest(17, 80, {300, 320, 340}), (Suggestion{K::Interval, 250}));
    // Nine in ten of the repeated pass 500, one does not.
    EXPECT_EQ(suggest(20, 80, {600, 600, 600, 600, 600, 600, 600, 600, 600, 300}), (Suggestion{K::Interval, 500}));
    EXPECT_EQ(suggest(17, 260, {300, 320, 340}), (Suggestion{K::Conflict, 0}));  // palms would pass too
    EXPECT_EQ(suggest(17, 80, {50, 60, 70}), (Suggestion{K::Conflict, 0}));      // no interval lets them pass
}

TEST(Activity, CopyTextAndDiagnostics) {
    Words w{{L"Time", L"Button", L"After key (ms)", L"Result", L"Program", L"Decided by"},
            {L"Left", L"Right", L"Middle"},
            {L"Blocked", L"Blocked, repeated", L"Passed"},
            {L"Interval %s ms", L"Short stage %s ms", L"Rule %s ms", L"External device", L"Full screen"}};
    Log log;
    Press p = At(5000, 150, true, 10, Button::Right);
    p.By = Decider::ShortStage;
    p.Length = 200;
    log.Add(Entry{p, (13 * 3600 + 4 * 60 + 5) * 1000 + 999, L"notes.exe"});
    log.Add(Entry{At(5000, 800, false), 0, L"app.exe"});
    EXPECT_EQ(CopyText(log.Listed(), w),
              L"Time\tButton\tAfter key (ms)\tResult\tProgram\tDecided by\r\n"
              L"00:00:00\tLeft\t800\tPassed\tapp.exe\tInterval 500 ms\r\n"
              L"13:04:05\tRight\t150\tBlocked\tnotes.exe\tShort stage 200 ms\r\n");

    DiagnosticsFacts f;
    f.Version = L"1.0.0.1";
    AppSettings settings;
    settings.Programs[L"game.exe"] = 3;
    f.Settings = &settings;
    const std::wstring text = DiagnosticsText(f);
    EXPECT_EQ(text.substr(0, text.find(L"\r\n")), L"Quorlin 1.0.0.1 diagnostics");
    EXPECT_NE(text.find(L"\r\nInput order: not observed"), std::wstring::npos);
    EXPECT_NE(text.find(L"\r\n    game.exe = 3\r\n"), std::wstring::npos);
    EXPECT_EQ(InputOrderLine(InputOrderCounts{1, 2, 3, 4, 5, 6}),
              L"Input order: 1 key events and 4 mouse events had their raw report before the hook, 2 and 5 after it, "
              L"3 and 6 none");
}

TEST(InputOrder, CountsReportsBeforeAfterAndNone) {
    using namespace devices;
    InputOrder order;
    const auto report = [](Kind kind, std::uint32_t time, std::uint32_t parts) { return RawEvent{kind, 1, time, parts}; };
    // Reported before: a press with a move in one report (the move itself not counted); a key down.
    order.Taken(report(Kind::Mouse, 100, MouseParts(0x0001, true)));
    order.Decided(Kind::Mouse, MouseHookPart(0x200, 0), 100);
    order.Decided(Kind::Mouse, MouseHookPart(0x201, 0), 100);
    order.Taken(report(Kind::Keyboard, 110, KeyPart('A', false)));
    order.Decided(Kind::Keyboard, KeyPart('A', false), 110);
    // Reported after: the key's release, its report taken before the next key.
    order.Decided(Kind::Keyboard, KeyPart('A', true), 120);
    order.Taken(report(Kind::Keyboard, 120, KeyPart('A', true)));
    // Never reported: a release whose report never came, found so at the next event.
    order.Decided(Kind::Mouse, MouseHookPart(0x202, 0), 130);
    order.Decided(Kind::Mouse, MouseHookPart(0x200, 0), 140);  // moves are not counted
    order.Decided(Kind::Mouse, MouseHookPart(0x204, 0), 150);
    order.Decided(Kind::Keyboard, KeyPart('B', false), 160);  // still waiting: not counted yet
    EXPECT_EQ(order.Counts(), (activity::InputOrderCounts{1, 1, 0, 1, 0, 1}));
    EXPECT_TRUE(order.Observed());
    EXPECT_FALSE(InputOrder().Observed());
}

TEST(Activity, TheHookDecisionSaysWhatDecidedAPress) {
    const auto by = [](rule::MouseInputs in) {
        in.Message = 0x201;
        in.Now = 1100;
        in.LastKey = 1000;
        const rule::MouseDecision d = rule::DecideMouse(in);
        return std::pair{d.By, d.Length};
    };
    using D = Decider;
    EXPECT_EQ(by({}), std::pair(D::Interval, 500u));
    EXPECT_EQ(by({.Paused = true}), std::pair(D::FullScreen, 500u));
    EXPECT_EQ(by({.RulesInUse = true, .Rule = ProgramRule::Interval(250)}), std::pair(D::ProgramRule, 250u));
    EXPECT_EQ(by({.RulesInUse = true, .Rule = ProgramRule::FromStored(ProgramRule::kNeverBlock)}).first, D::ProgramRule);
    EXPECT_EQ(by({.FromExternalMouse = true}), std::pair(D::ExternalDevice, 500u));
    EXPECT_EQ(by({.AdaptToTyping = true}), std::pair(D::ShortStage, rule::kSingleKeyBlock));
}
