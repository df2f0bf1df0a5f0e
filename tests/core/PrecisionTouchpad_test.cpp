#include "touchpad/PrecisionTouchpad.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/OwnInput.h"

using namespace quorlin::touchpad;

namespace {

const std::optional<bool> kUnknown;

TEST(PrecisionTouchpadReport, ParametersOrTheDeviceListTellPresenceOnlyParametersTellTheState) {
    struct Case {
        std::optional<Parameters> parameters;
        std::optional<bool> rawInput;
        std::optional<bool> present, enabled;
    };
    const Case cases[] = {
        {Parameters{true, false}, false, true, false},  // the parameters outrank an empty device list
        {Parameters{true, true}, kUnknown, true, true},
        {Parameters{false, true}, true, true, kUnknown},  // no state for a touchpad they do not report
        {Parameters{false, true}, false, false, kUnknown},
        {Parameters{false, false}, kUnknown, false, kUnknown},
        {std::nullopt, true, true, kUnknown},
        {std::nullopt, false, false, kUnknown},
        {std::nullopt, kUnknown, kUnknown, kUnknown},
    };
    for (const Case& c : cases) {
        const SystemReport r = CombineReports(c.parameters, c.rawInput);
        EXPECT_EQ(r.present, c.present);
        EXPECT_EQ(r.enabled, c.enabled);
    }
}

TEST(PrecisionTouchpadPlan, TheDriverWinsElseTheCombinationIsOfferedOnlyForAReportedTouchpad) {
    struct Case {
        bool driver;
        SystemReport report;
        Way way;
        bool offered, stateReported;
    };
    const Case cases[] = {
        {true, {true, false}, Way::Driver, true, false},
        {true, {kUnknown, kUnknown}, Way::Driver, true, false},
        {false, {true, true}, Way::KeyCombination, true, true},
        {false, {true, false}, Way::KeyCombination, true, true},
        {false, {true, kUnknown}, Way::KeyCombination, true, false},
        {false, {false, kUnknown}, Way::KeyCombination, false, false},
        {false, {kUnknown, kUnknown}, Way::KeyCombination, false, false},
    };
    for (const Case& c : cases) {
        const Plan p = PlanSwitch(c.driver, c.report);
        EXPECT_EQ(p.way, c.way);
        EXPECT_EQ(p.offered, c.offered);
        EXPECT_EQ(p.stateReported, c.stateReported);
    }
}

TEST(PrecisionTouchpadPlan, RememberedStateStartsAsTheDriverOrTheSystemTellsElseOnForAKnownTouchpad) {
    EXPECT_TRUE(InitialState(true, true, {true, false}));
    EXPECT_FALSE(InitialState(true, false, {true, true}));
    EXPECT_FALSE(InitialState(false, true, {true, false}));  // the driver's answer means nothing without it
    EXPECT_TRUE(InitialState(false, false, {true, true}));
    EXPECT_TRUE(InitialState(false, false, {true, kUnknown}));
    EXPECT_FALSE(InitialState(false, false, {false, kUnknown}));
    EXPECT_FALSE(InitialState(false, false, {kUnknown, kUnknown}));
}

TEST(PrecisionTouchpadWait, SendsOnceTheModifiersAreUpAndGivesUpAtTheLimit) {
    EXPECT_EQ(NextWaitStep(1000, 1000, false), WaitStep::Send);
    EXPECT_EQ(NextWaitStep(1000, 1000, true), WaitStep::Wait);
    EXPECT_EQ(NextWaitStep(1000, 1000 + kModifierWaitLimitMs - 1, true), WaitStep::Wait);
    EXPECT_EQ(NextWaitStep(1000, 1000 + kModifierWaitLimitMs, true), WaitStep::GiveUp);
    EXPECT_EQ(NextWaitStep(1000, 1000 + kModifierWaitLimitMs + 5000, false), WaitStep::Send);
    EXPECT_GT(kModifierWaitLimitMs, 10 * kModifierPollMs) << "enough polls to see the user let go";
}

TEST(PrecisionTouchpadWait, TheTickCountersWrapAroundIsHarmless) {
    const std::uint32_t requested = 0xFFFFFF00u;
    EXPECT_EQ(NextWaitStep(requested, requested + 200, true), WaitStep::Wait);  // now has wrapped to 0xC8
    EXPECT_EQ(NextWaitStep(requested, requested + kModifierWaitLimitMs, true), WaitStep::GiveUp);
}

// Replays the strokes and tells which keys stay down.
int KeysLeftDown(std::size_t inserted) {
    bool down[256] = {};
    for (std::size_t i = 0; i < inserted; ++i) down[kCombination[i].vk] = !kCombination[i].up;
    const Undo undo = UndoPartialCombination(inserted);
    for (std::size_t i = 0; i < undo.count; ++i) {
        EXPECT_TRUE(undo.strokes[i].up);
        EXPECT_TRUE(down[undo.strokes[i].vk]) << "releases only what it pressed";
        down[undo.strokes[i].vk] = false;
    }
    int left = 0;
    for (bool d : down) left += d;
    return left;
}

TEST(PrecisionTouchpadCombination, IsCtrlWinF24PressedThenReleasedInReverse) {
    EXPECT_EQ(KeysLeftDown(kCombinationLength), 0);
    EXPECT_EQ(UndoPartialCombination(kCombinationLength).count, 0u);
    const std::uint16_t pressed[] = {0xA2, 0x5B, 0x87};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(kCombination[i].vk, pressed[i]);
        EXPECT_FALSE(kCombination[i].up);
        EXPECT_EQ(kCombination[kCombinationLength - 1 - i].vk, pressed[i]);
        EXPECT_TRUE(kCombination[kCombinationLength - 1 - i].up);
    }
}

TEST(PrecisionTouchpadCombination, APartlyTakenCombinationLeavesNoKeyDown) {
    for (std::size_t inserted = 0; inserted <= kCombinationLength + 1; ++inserted)
        EXPECT_EQ(KeysLeftDown(std::min(inserted, kCombinationLength)), 0) << inserted;
    // After Ctrl and Win went down: Win is let go before Ctrl.
    const Undo two = UndoPartialCombination(2);
    ASSERT_EQ(two.count, 2u);
    EXPECT_EQ(two.strokes[0].vk, 0x5B);
    EXPECT_EQ(two.strokes[1].vk, 0xA2);
    EXPECT_EQ(UndoPartialCombination(99).count, 0u) << "more than the whole combination is the whole";
}

TEST(OwnInput, OnlyTheMarkCounts) {
    EXPECT_TRUE(quorlin::IsOwnInput(quorlin::kOwnInputMark));
    EXPECT_FALSE(quorlin::IsOwnInput(0));
    EXPECT_FALSE(quorlin::IsOwnInput(quorlin::kOwnInputMark + 1));
}

}  // namespace
