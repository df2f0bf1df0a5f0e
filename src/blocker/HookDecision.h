// What each input hook does with one event, as one pure function of what the hook read: the
// procedures gather the inputs, call, and carry out the answer.
#pragma once
#include <cstdint>
#include <optional>

#include "blocker/ActivityRing.h"
#include "blocker/BlockingRule.h"
#include "blocker/InputDevices.h"

namespace quorlin::rule {

using KeyFrom = devices::DeviceDecider::KeyFrom;

struct KeyInputs {
    std::uintptr_t Message = 0;
    std::uint32_t Vk = 0;
    bool Extended = false;
    bool Own = false;  // the program's own input (the touchpad combination): no typing, not even held
    std::uint32_t Now = 0;
    SmartOptions Smart{};
    bool Paused = false;   // a full-screen program pauses the blocker
    ProgramRule Rule{};    // of the program in front
    KeyboardState Keys{};  // the held keys before the event
    PressClock Presses{};
    bool ExternalKeyboardOption = false;  // "Ignore typing on an external keyboard" in force
    // The device decider's word on this key, once asked (only with that option).
    bool DeviceAsked = false;
    KeyFrom From = KeyFrom::BuiltIn;
};

struct KeyDecision {
    // With the external-keyboard option, every key is first handed to the device decider, told
    // whether it starts the interval when built in (Starts); then decided again with its answer.
    bool AskDevice = false;
    bool Starts = false;
    bool Stamp = false;                     // the interval starts at Now
    std::optional<std::uint32_t> PressGap;  // a counted press: the typing-aware stage's new gap
    KeyboardState Keys;                     // the held keys after the event
    PressClock Presses;
};

// A key is never swallowed; it may start the interval and count as typing. A key from an external
// keyboard does neither; one still waiting for its report counts as typing (most turn out built in)
// but starts the interval only once settled as built in.
constexpr KeyDecision DecideKey(const KeyInputs& in) noexcept {
    KeyDecision d;
    d.Keys = in.Keys;
    d.Presses = in.Presses;
    d.Starts = !in.Own && KeyStartsInterval(d.Keys, kHcAction, in.Message, in.Vk, in.Extended, in.Smart, in.Paused, in.Rule);
    if (in.ExternalKeyboardOption && !in.DeviceAsked) {
        d.AskDevice = true;
        return d;
    }
    d.Stamp = d.Starts && in.From == KeyFrom::BuiltIn;
    if (d.Starts && in.From != KeyFrom::External && in.Message == kKeyDown) d.PressGap = CountPress(d.Presses, in.Now);
    return d;
}

struct MouseInputs {
    std::uintptr_t Message = 0;
    std::uint32_t Now = 0;
    KeyTime LastKey{};  // the start of the interval, keys still waiting for their report included
    std::uint32_t Interval = 500;
    bool BlockOther = true;
    bool Paused = false;
    bool AdaptToTyping = false;
    std::uint32_t PressGap = kNoPressGap;
    bool RulesInUse = false;
    std::uint32_t LongestRuleInterval = 0;
    std::optional<ProgramRule> Rule{};  // of the program in front, once asked
    bool FromExternalMouse = false;     // the external-mouse option is in force and places it there
};

struct MouseDecision {
    bool AskRule = false;  // look up the rule of the program in front, then decide again
    bool Block = false;
    bool Post = false;  // a swallowed press that counts: the notify window hears of it
    // For the Activity window: the block length in force and what decided the event.
    std::uint32_t Length = 0;
    activity::Decider By = activity::Decider::Interval;
};

// While rules are in use, the program in front is looked up only for an event some rule could
// block: the settings pass it otherwise. A rule changes only what it names: "never block" blocks
// nothing, "clicks only" lets moves and wheel turns pass, an interval of its own replaces the
// settings' one, and the typing-aware stage then shortens that one.
constexpr MouseDecision DecideMouse(const MouseInputs& in) noexcept {
    if (in.RulesInUse && !in.Rule &&
        RuleMayBlockMouse(kHcAction, in.Message, in.BlockOther, in.Now, in.LastKey, in.Interval, in.Paused,
                          in.LongestRuleInterval))
        return {true};
    const ProgramRule rule = in.RulesInUse ? in.Rule.value_or(ProgramRule{}) : ProgramRule{};
    const std::uint32_t length = BlockLength(rule.IntervalOr(in.Interval), in.AdaptToTyping, in.PressGap);
    const bool inside = !rule.NeverBlocks() && ShouldBlockMouse(kHcAction, in.Message, in.BlockOther && !rule.ClicksOnly(),
                                                                 in.Now, in.LastKey, length, in.Paused);
    const bool block = inside && !in.FromExternalMouse;
    return {false, block, block && IsCountedPress(in.Message), length,
            activity::Decide({in.Paused, rule.NeverBlocks() || rule.IntervalOr(0) != 0, inside && in.FromExternalMouse,
                              length < rule.IntervalOr(in.Interval)})};
}

}  // namespace quorlin::rule
