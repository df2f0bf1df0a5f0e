#include "blocker/HookDecision.h"

#include <gtest/gtest.h>

#include <string>

using namespace quorlin::rule;
using quorlin::ProgramRule;

namespace {

// The hooks' state fed event by event through the two decisions, as the procedures carry them
// out: the device decider places the keyboard and the mouse as the case says.
struct Hooks {
    ProgramRule rule;
    KeyFrom keyboard = KeyFrom::BuiltIn;
    KeyInputs key{.Smart = {true, true}};
    MouseInputs mouse{.Interval = 500, .BlockOther = true, .RulesInUse = true, .LongestRuleInterval = 1000};

    void Key(std::uint32_t now, std::uintptr_t message, std::uint32_t vk) {
        key.Message = message, key.Vk = vk, key.Now = now, key.Rule = rule, key.DeviceAsked = false;
        KeyDecision d = DecideKey(key);
        if (d.AskDevice) key.From = keyboard, key.DeviceAsked = true, d = DecideKey(key);
        key.Keys = d.Keys, key.Presses = d.Presses;
        if (d.Stamp) mouse.LastKey = now;
        if (d.PressGap) mouse.PressGap = *d.PressGap;
    }
    void Type(std::uint32_t now, std::uint32_t vk) { Key(now, kKeyDown, vk), Key(now, kKeyUp, vk); }
    char Mouse(std::uint32_t now, std::uintptr_t message) {
        mouse.Message = message, mouse.Now = now, mouse.Paused = key.Paused, mouse.Rule.reset();
        MouseDecision d = DecideMouse(mouse);
        if (d.AskRule) mouse.Rule = rule, d = DecideMouse(mouse);
        EXPECT_EQ(d.Post, d.Block && message == 0x201) << "only a swallowed press is posted";
        return d.Block ? '1' : '0';
    }
};

}  // namespace

// Settings: 500 ms, other events blocked too; every case starts with no key. The last key comes at
// 0 (with "typing", a first one 300 ms before it); then a move at 150 ms and clicks at 150, 450,
// 950 and 1050 ms, blocked ('1') or not. A device option or a smart-blocking option that spares the
// last key or the mouse lets everything through; with the smart options on, a plain key still blocks.
TEST(HookDecision, RuleByTypingStageByDeviceOptionBySmartOption) {
    const struct { std::uint32_t rule; const char* off; const char* single; const char* typing; } rows[] = {
        {0, "11100", "11000", "11100"},     // no rule
        {1, "00000", "00000", "00000"},     // never block
        {2, "01100", "01000", "01100"},     // clicks only
        {1000, "11110", "11000", "11110"},  // an interval of its own
    };
    enum Stage { Off, Single, Typing };
    enum Device { NoOption, ExternalMouse, ExternalKeyboard };
    enum Smart { PlainKey, ShortcutKey, HeldKey, FullScreen };
    for (std::uint32_t base : {10000u, 0xFFFFFF00u})
        for (const auto& row : rows)
            for (Stage stage : {Off, Single, Typing})
                for (Device device : {NoOption, ExternalMouse, ExternalKeyboard})
                    for (Smart smart : {PlainKey, ShortcutKey, HeldKey, FullScreen}) {
                        Hooks h;
                        h.rule = ProgramRule::FromStored(row.rule);
                        h.mouse.AdaptToTyping = stage != Off;
                        h.mouse.FromExternalMouse = device == ExternalMouse;
                        h.key.ExternalKeyboardOption = device == ExternalKeyboard;
                        if (smart == HeldKey) h.Key(base - 6000, kKeyDown, 'B');
                        if (stage == Typing) h.Type(base - 300, 'A');
                        if (device == ExternalKeyboard) h.keyboard = KeyFrom::External;
                        h.key.Paused = smart == FullScreen;
                        if (smart == ShortcutKey) h.Key(base, kKeyDown, 162), h.Type(base, 'C'), h.Key(base, kKeyUp, 162);
                        else if (smart == HeldKey) h.Key(base, kKeyDown, 'B');  // its auto-repeat
                        else h.Type(base, 'B');
                        std::string got{h.Mouse(base + 150, 0x200)};
                        for (std::uint32_t t : {150u, 450u, 950u, 1050u}) got += h.Mouse(base + t, 0x201);
                        const bool spared = device != NoOption || smart != PlainKey;
                        const char* expected = spared ? "00000" : stage == Off ? row.off : stage == Single ? row.single : row.typing;
                        EXPECT_EQ(got, expected) << "rule " << row.rule << ", stage " << stage << ", device " << device
                                                 << ", smart " << smart << ", base " << base;
                    }
}

// A key still waiting for its report counts as typing but starts the interval only when settled
// built in; the program's own keys neither start nor follow anything.
TEST(HookDecision, PendingAndOwnKeys) {
    KeyInputs in{.Message = kKeyDown, .Vk = 'A', .Now = 50, .ExternalKeyboardOption = true};
    const KeyDecision asked = DecideKey(in);
    EXPECT_TRUE(asked.AskDevice && asked.Starts && !asked.Stamp && !asked.PressGap);
    in.From = KeyFrom::Pending, in.DeviceAsked = true;
    const KeyDecision pending = DecideKey(in);
    EXPECT_TRUE(!pending.AskDevice && !pending.Stamp && pending.PressGap == kNoPressGap && pending.Keys.Down.Has('A'));
    in = {.Message = kKeyDown, .Vk = 'A', .Own = true};
    const KeyDecision own = DecideKey(in);
    EXPECT_FALSE(own.Starts || own.Stamp || own.PressGap || own.Keys.Down.Has('A'));
}
