#include "blocker/BlockingRule.h"
#include "blocker/HookDecision.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

using namespace quorlin::rule;
using quorlin::ProgramRule;

TEST(KeyboardRule, OrdinaryKeysStampOnPressAndRelease) {
    for (std::uint32_t vk : {0x41u, 0x30u, 0x0Du, 0x20u, 0x78u, 19u /*Pause*/, 93u /*Apps*/, 0x10Fu}) {
        EXPECT_TRUE(StampsKeyTick(0, kKeyDown, vk)) << vk;
        EXPECT_TRUE(StampsKeyTick(0, kKeyUp, vk)) << vk;
    }
}

TEST(KeyboardRule, ModifierAndLockKeysNeverStamp) {
    const std::uint32_t excluded[] = {16, 17, 18, 20, 91, 92, 144, 145, 160, 161, 162, 163, 164, 165};
    for (auto vk : excluded) {
        EXPECT_TRUE(IsExcludedKey(vk)) << vk;
        EXPECT_FALSE(StampsKeyTick(0, kKeyDown, vk)) << vk;
        EXPECT_FALSE(StampsKeyTick(0, kKeyUp, vk)) << vk;
    }
    // Neighbours of the excluded ranges still count.
    for (std::uint32_t vk : {15u, 19u, 21u, 90u, 93u, 143u, 146u, 159u, 166u})
        EXPECT_FALSE(IsExcludedKey(vk)) << vk;
}

TEST(KeyboardRule, SystemKeysAndOtherCodesAreIgnored) {
    EXPECT_FALSE(StampsKeyTick(0, kSysKeyDown, 0x41));
    EXPECT_FALSE(StampsKeyTick(0, kSysKeyUp, 0x41));
    EXPECT_FALSE(StampsKeyTick(3 /*HC_NOREMOVE*/, kKeyDown, 0x41));
    EXPECT_FALSE(StampsKeyTick(-1, kKeyDown, 0x41));
}

TEST(MouseRule, CandidatesByMessage) {
    for (std::uintptr_t m : {0x201u, 0x203u, 0x204u, 0x206u, 0x207u, 0x209u}) {
        EXPECT_TRUE(IsCandidate(m, false)) << std::hex << m;
        EXPECT_TRUE(IsCandidate(m, true)) << std::hex << m;
    }
    for (std::uintptr_t m : {0x202u, 0x205u, 0x208u, 0x20Cu}) {
        EXPECT_FALSE(IsCandidate(m, false)) << std::hex << m;
        EXPECT_FALSE(IsCandidate(m, true)) << std::hex << m;  // releases never, whatever the option
    }
    for (std::uintptr_t m : {0x200u, 0x20Au, 0x20Bu, 0x20Du, 0x20Eu}) {
        EXPECT_FALSE(IsCandidate(m, false)) << std::hex << m;
        EXPECT_TRUE(IsCandidate(m, true)) << std::hex << m;
    }
}

TEST(MouseRule, IntervalIsStrictlyLessThan) {
    EXPECT_TRUE(IsWithinInterval(1100, 1000, 500));
    EXPECT_TRUE(IsWithinInterval(1499, 1000, 500));
    EXPECT_FALSE(IsWithinInterval(1500, 1000, 500));
    EXPECT_FALSE(IsWithinInterval(1600, 1000, 500));
    EXPECT_TRUE(IsWithinInterval(1000, 1000, 500));  // same tick as the key
}

TEST(MouseRule, ZeroIntervalBlocksNothing) {
    EXPECT_FALSE(IsWithinInterval(1000, 1000, 0));
    EXPECT_FALSE(ShouldBlockMouse(0, 0x201, true, 1000, 1000, 0));
}

TEST(MouseRule, TickWrapAroundAfter49Days) {
    // Key stamped just before the counter wraps, click just after it.
    EXPECT_TRUE(IsWithinInterval(0x00000064u, 0xFFFFFF9Cu, 500));   // 200 ms elapsed
    EXPECT_FALSE(IsWithinInterval(0x000001F4u, 0xFFFFFFFFu, 500));  // 501 ms elapsed
    EXPECT_TRUE(IsWithinInterval(0x000001F2u, 0xFFFFFFFFu, 500));   // 499 ms elapsed
    EXPECT_FALSE(IsWithinInterval(0x000001F3u, 0xFFFFFFFFu, 500));  // exactly 500 ms
}

TEST(MouseRule, NoKeyYetBlocksNothingAtAnyTickAndOldTimesAreDropped) {
    // Just after start or a wrap, and past 24.9 days: no key, no block; a real key at tick 0 blocks.
    for (std::uint32_t now : {0u, 120u, 0x80000000u, 0xFFFFFFFFu}) EXPECT_FALSE(ShouldBlockMouse(0, 0x201, false, now, std::nullopt, 500));
    EXPECT_TRUE(ShouldBlockMouse(0, 0x201, false, 120, 0u, 500));
    EXPECT_FALSE(ShouldBlockMouse(0, 0x201, false, 500, 0u, 500));
    // Kept whole in one value, 0 included; dropped once older than anything decides on.
    for (KeyTime t : {KeyTime{}, KeyTime{0u}, KeyTime{0xFFFFFFFFu}}) EXPECT_EQ(LoadedKeyTime(StoredKeyTime(t)), t);
    EXPECT_EQ(Forgotten(0xFFFFFF00u, 0xFFFFFF00u + kForgetAfter), 0xFFFFFF00u);
    EXPECT_EQ(Forgotten(0xFFFFFF00u, 0xFFFFFF01u + kForgetAfter), std::nullopt);
    PressClock presses{0xFFFFFF00u, true};
    ForgetOldPress(presses, 0xFFFFFF01u + kForgetAfter);
    EXPECT_EQ(CountPress(presses, 0xFFFFFF10u), kNoPressGap) << "the wrap brings no old press back";
}

TEST(MouseRule, BlockDecision) {
    EXPECT_TRUE(ShouldBlockMouse(0, 0x201, false, 1100, 1000, 500));
    EXPECT_TRUE(ShouldBlockMouse(0, 0x203, false, 1100, 1000, 500));   // double click like a press
    EXPECT_FALSE(ShouldBlockMouse(0, 0x202, true, 1100, 1000, 500));   // release
    EXPECT_FALSE(ShouldBlockMouse(0, 0x200, false, 1100, 1000, 500));  // move, option off
    EXPECT_TRUE(ShouldBlockMouse(0, 0x200, true, 1100, 1000, 500));    // move, option on
    EXPECT_TRUE(ShouldBlockMouse(0, 0x20A, true, 1100, 1000, 500));    // wheel, option on
    EXPECT_FALSE(ShouldBlockMouse(3, 0x201, true, 1100, 1000, 500));   // not HC_ACTION
    EXPECT_FALSE(ShouldBlockMouse(0, 0x201, true, 1600, 1000, 500));   // too late
}

namespace {
// One keyboard state fed event by event, both options on unless a test turns them off.
struct Keys {
    KeyboardState state;
    SmartOptions options{true, true};
    bool paused = false;
    bool Event(std::uintptr_t m, std::uint32_t vk, bool extended = false) {
        return KeyStartsInterval(state, 0, m, vk, extended, options, paused);
    }
    bool Press(std::uint32_t vk, bool extended = false) { return Event(kKeyDown, vk, extended); }
    bool Release(std::uint32_t vk, bool extended = false) { return Event(kKeyUp, vk, extended); }
};
}  // namespace

TEST(SmartKeyboardRule, NavigationFunctionAndShortcutKeysStartNoInterval) {
    Keys k;
    for (std::uint32_t vk : {9u, 27u, 33u, 36u, 37u, 40u, 45u, 46u, 112u, 116u, 135u})
        EXPECT_FALSE(k.Press(vk) || k.Release(vk)) << vk;
    for (std::uint32_t vk : {8u, 13u, 32u, 41u, 47u, 0x5Au, 111u, 136u}) EXPECT_TRUE(k.Press(vk) && k.Release(vk)) << vk;
    // Ctrl, Alt or a Windows key held, named with or without its side; the key's release stays a shortcut.
    for (auto [vk, extended] : {std::pair{17u, false}, {17u, true}, {163u, false}, {18u, false}, {164u, false},
                                {165u, false}, {91u, false}, {92u, false}}) {
        k.Press(vk, extended);
        const bool pressed = k.Press('C');
        k.Release(vk, extended);
        EXPECT_FALSE(pressed || k.Release('C')) << vk << extended;
    }
    // Shift and AltGr (left Ctrl with right Alt) type; AltGr with a Windows key does not.
    EXPECT_TRUE(!k.Press(16) && k.Press('A') && k.Release('A'));
    EXPECT_TRUE(!k.Press(162) && !k.Press(165) && k.Press('Q') && k.Release('Q'));
    EXPECT_FALSE(k.Press(91) || k.Press('E'));
}

TEST(SmartKeyboardRule, AutoRepeatOfAHeldKeyDoesNotRestartTheInterval) {
    Keys k;
    EXPECT_TRUE(k.Press('W') && !k.Press('W') && !k.Press('W'));
    EXPECT_TRUE(k.Press('A')) << "another key held alongside is a fresh press";
    EXPECT_TRUE(k.Release('W') && k.Press('W'));
    ForgetKey(k.state, 'W');
    EXPECT_TRUE(k.Press('W')) << "a forgotten key counts as fresh";
    k.paused = true;
    EXPECT_FALSE(k.Release('W') || k.Press('W')) << "a full-screen pause starts nothing";
    k.paused = false;
    EXPECT_FALSE(k.Press('W')) << "but keeps track of the keys";
    EXPECT_FALSE(ShouldBlockMouse(0, 0x201, true, 1100, 1000, 500, true));
    k.options = {};
    EXPECT_TRUE(k.Press('W') && k.Press(37) && k.Press(0x10F)) << "without the options, as before";
}

// Key and click times through the rule as the hooks feed it, again across the tick's wrap-around:
// a positive key is its press, a negative one its release, 0 a click with the decision expected.
struct Step { std::uint32_t t; int key; bool blocked = false; };

TEST(TypingAwareInterval, DecisionTable) {
    constexpr int A = 'A', B = 'B';
    const struct { const char* name; std::uint32_t interval; bool adapt, ignoreHeld; std::vector<Step> steps; } cases[] = {
        {"off", 500, false, false, {{0, A}, {50, -A}, {300, 0, 1}, {549, 0, 1}, {550, 0, 0}}},
        {"one key", 500, true, false, {{0, A}, {80, -A}, {150, 0, 1}, {279, 0, 1}, {280, 0, 0}}},
        {"two keys 300 ms apart", 500, true, false, {{0, A}, {50, -A}, {300, B}, {350, -B}, {700, 0, 1}, {849, 0, 1}, {850, 0, 0}}},
        {"two keys 700 ms apart", 500, true, false, {{0, A}, {50, -A}, {700, B}, {750, -B}, {949, 0, 1}, {950, 0, 0}}},
        {"499 ms apart", 500, true, false, {{0, A}, {499, B}, {998, 0, 1}, {999, 0, 0}}},
        {"500 ms apart", 500, true, false, {{0, A}, {500, B}, {699, 0, 1}, {700, 0, 0}}},
        {"interval below 200 ms", 125, true, false, {{0, A}, {124, 0, 1}, {125, 0, 0}}},
        {"a shortcut is no press", 500, true, false, {{0, A}, {50, -A}, {300, 162}, {310, 'C'}, {400, -'C'}, {420, -162}, {600, B}, {799, 0, 1}, {800, 0, 0}}},
        {"held, repeats count", 500, true, false, {{0, A}, {300, 0, 0}, {500, A}, {533, A}, {900, 0, 1}, {1000, -A}, {1499, 0, 1}, {1500, 0, 0}}},
        {"held, repeats ignored", 500, true, true, {{0, A}, {300, 0, 0}, {500, A}, {533, A}, {900, 0, 0}, {1000, -A}, {1199, 0, 1}, {1200, 0, 0}}},
    };
    for (std::uint32_t base : {1000u, 0xFFFFFF00u})
        for (const auto& c : cases) {
            KeyboardState keys;
            PressClock presses;
            std::uint32_t lastKey = 0, gap = kNoPressGap;
            for (const Step& s : c.steps)
                if (s.key == 0)
                    EXPECT_EQ(ShouldBlockMouse(0, 0x201, false, base + s.t, lastKey, BlockLength(c.interval, c.adapt, gap)),
                              s.blocked) << c.name << ", click at " << s.t << ", base " << base;
                else if (KeyStartsInterval(keys, 0, s.key > 0 ? kKeyDown : kKeyUp, std::abs(s.key), false, {true, c.ignoreHeld}, false)) {
                    if (s.key > 0) gap = CountPress(presses, base + s.t);
                    lastKey = base + s.t;
                }
        }
}

TEST(FullScreenRule, WindowCoveringItsMonitorOrTheShellsState) {
    const PixelRect monitor{0, 0, 1280, 1024};
    EXPECT_TRUE(IsFullScreen({-8, -8, 1288, 1032}, monitor, false, 5));
    EXPECT_FALSE(IsFullScreen({0, 0, 1280, 1004}, monitor, false, 5)) << "maximised above the taskbar";
    EXPECT_FALSE(IsFullScreen(monitor, monitor, true, 5)) << "the desktop";
    EXPECT_FALSE(IsFullScreen({}, {}, false, 5)) << "no monitor";
    EXPECT_TRUE(IsFullScreen({}, {}, true, kQunsRunningD3DFullScreen) && IsFullScreen({}, {}, true, kQunsPresentationMode));
    EXPECT_FALSE(IsFullScreen({}, {}, true, 2));
}

TEST(FullScreenRule, MaximizedWindowOnAMonitorWithoutTaskbarIsNoFullScreenProgram) {
    // A second monitor, left of the first, with no taskbar: a maximized window's frame hangs over
    // every edge of it.
    const PixelRect monitor{-1920, 0, 0, 1080};
    const PixelRect maximized{-1928, -8, 8, 1088};
    EXPECT_FALSE(IsFullScreen(maximized, monitor, false, 5, true));
    EXPECT_TRUE(IsFullScreen(maximized, monitor, false, 5, false)) << "without a caption it is full screen";
    EXPECT_TRUE(IsFullScreen({}, {}, false, kQunsRunningD3DFullScreen, true)) << "the shell's word still counts";
}

// The settings' interval is 500 ms and the key came at tick 1000.
TEST(ProgramRuleDecision, ARuleChangesOnlyWhatItNames) {
    struct Row { std::uint32_t rule; std::uintptr_t message; bool blockOther; std::uint32_t sinceKey; bool blocked; };
    const Row rows[] = {
        {0, 0x201, true, 100, true},     {0, 0x200, true, 100, true},     {0, 0x200, false, 100, false},
        {0, 0x201, true, 700, false},    {1, 0x201, true, 100, false},    {1, 0x204, true, 0, false},
        {1, 0x20A, true, 100, false},    {2, 0x201, true, 100, true},     {2, 0x203, true, 100, true},
        {2, 0x200, true, 100, false},    {2, 0x20A, true, 100, false},    {2, 0x201, true, 700, false},
        {1000, 0x201, true, 700, true},  {1000, 0x201, true, 1200, false}, {1000, 0x200, true, 700, true},
        {1000, 0x200, false, 700, false}, {100, 0x201, true, 200, false},  {99, 0x201, true, 700, false},
    };
    for (const Row& r : rows) {
        const ProgramRule rule = ProgramRule::FromStored(r.rule);
        const std::uint32_t now = 1000 + r.sinceKey;
        MouseInputs in{.Message = r.message, .Now = now, .LastKey = 1000u, .BlockOther = r.blockOther,
                       .RulesInUse = true, .LongestRuleInterval = rule.IntervalOr(0)};
        // The hook asks which program is in front only when some rule could block the event.
        EXPECT_TRUE(!r.blocked || DecideMouse(in).AskRule);
        in.Rule = rule;
        EXPECT_EQ(DecideMouse(in).Block, r.blocked) << r.rule << " " << std::hex << r.message << std::dec << " " << r.sinceKey;
        in.Paused = true;
        EXPECT_FALSE(DecideMouse(in).Block);
    }
    EXPECT_FALSE(RuleMayBlockMouse(0, 0x200, false, 1100, 1000, 500, false, 5000)) << "no rule blocks what the settings pass";
    EXPECT_FALSE(RuleMayBlockMouse(0, 0x201, true, 3100, 1000, 500, false, 2000));
}

TEST(ProgramRuleDecision, KeysInAProgramNeverBlockedStartNothingButAreStillFollowed) {
    KeyboardState keys;
    EXPECT_FALSE(KeyStartsInterval(keys, 0, kKeyDown, 'W', false, {}, false, ProgramRule{ProgramRule::kNeverBlock}));
    EXPECT_TRUE(keys.Down.Has('W'));
    for (std::uint32_t code : {0u, 2u, 100u, 5000u})
        EXPECT_TRUE(KeyStartsInterval(keys, 0, kKeyUp, 'W', false, {}, false, ProgramRule::FromStored(code))) << code;
}
