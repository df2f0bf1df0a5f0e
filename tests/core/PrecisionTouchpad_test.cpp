#include "touchpad/PrecisionTouchpad.h"

#include <gtest/gtest.h>

using namespace quorlin::touchpad;

namespace {

constexpr std::optional<bool> kUnknown;

TEST(PrecisionTouchpad, ParametersOrTheDeviceListTellPresenceOnlyParametersTellTheState) {
    const Parameters on{true, true}, off{true, false}, none{false, true};
    EXPECT_EQ(CombineReports(off, false).present, true);  // the parameters outrank an empty device list
    EXPECT_EQ(CombineReports(off, false).enabled, false);
    EXPECT_EQ(CombineReports(on, kUnknown).enabled, true);
    EXPECT_EQ(CombineReports(none, true).present, true);
    EXPECT_EQ(CombineReports(none, true).enabled, kUnknown) << "no state for a touchpad they do not report";
    EXPECT_EQ(CombineReports(none, kUnknown).present, false);
    EXPECT_EQ(CombineReports(std::nullopt, true).present, true);
    EXPECT_EQ(CombineReports(std::nullopt, false).present, false);
    EXPECT_EQ(CombineReports(std::nullopt, kUnknown).present, kUnknown);
    EXPECT_EQ(CombineReports(std::nullopt, true).enabled, kUnknown);
}

TEST(PrecisionTouchpad, TheDriverWinsElseTheCombinationIsOfferedOnlyForAReportedTouchpad) {
    struct Case { bool driver; SystemReport report; Way way; bool offered, stateReported, initial; };
    const Case cases[] = {
        {true, {kUnknown, kUnknown}, Way::Driver, true, false, true},  // the driver's own state: on
        {false, {true, true}, Way::KeyCombination, true, true, true},
        {false, {true, false}, Way::KeyCombination, true, true, false},
        {false, {true, kUnknown}, Way::KeyCombination, true, false, true},  // on until switched off
        {false, {false, kUnknown}, Way::KeyCombination, false, false, false},
        {false, {kUnknown, kUnknown}, Way::KeyCombination, false, false, false},
    };
    for (const Case& c : cases) {
        const Plan p = PlanSwitch(c.driver, c.report);
        EXPECT_EQ(p.way, c.way);
        EXPECT_EQ(p.offered, c.offered);
        EXPECT_EQ(p.stateReported, c.stateReported);
        EXPECT_EQ(InitialState(c.driver, true, c.report), c.initial);
    }
    EXPECT_FALSE(InitialState(true, false, {true, true})) << "the driver's state outranks the system's";
}

TEST(PrecisionTouchpad, SendsOnceTheModifiersAreUpAndGivesUpAtTheLimitAcrossTheTickWrap) {
    for (std::uint32_t start : {1000u, 0xFFFFFF00u}) {
        EXPECT_EQ(NextWaitStep(start, start, false), WaitStep::Send);
        EXPECT_EQ(NextWaitStep(start, start + 200, true), WaitStep::Wait);
        EXPECT_EQ(NextWaitStep(start, start + kModifierWaitLimitMs - 1, true), WaitStep::Wait);
        EXPECT_EQ(NextWaitStep(start, start + kModifierWaitLimitMs, true), WaitStep::GiveUp);
    }
}

TEST(PrecisionTouchpad, APartlyTakenCombinationLeavesNoKeyDownAndReleasesOnlyWhatWentDown) {
    for (std::size_t inserted = 0; inserted <= kCombinationLength + 1; ++inserted) {
        bool down[256] = {};
        for (std::size_t i = 0; i < inserted && i < kCombinationLength; ++i) down[kCombination[i].vk] = !kCombination[i].up;
        const Undo undo = UndoPartialCombination(inserted);
        for (std::size_t i = 0; i < undo.count; ++i) {
            EXPECT_TRUE(undo.strokes[i].up && down[undo.strokes[i].vk]) << inserted;
            down[undo.strokes[i].vk] = false;
        }
        for (bool d : down) EXPECT_FALSE(d) << inserted;
    }
}

}  // namespace
