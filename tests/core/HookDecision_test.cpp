#include "blocker/HookDecision.h"

#include <gtest/gtest.h>

#include <string>

using namespace quorlin::rule;
using quorlin::ProgramRule;

namespace {

// The hooks' state fed event by event through the two decisions, as the procedures carry them
// out; what the program in front and the device decider answer when asked is the case's.
struct Hooks {
    ProgramRule rule;
    KeyFrom keyboard = KeyFrom::BuiltIn;
    KeyInputs key{.Smart = {true, true}};
    MouseInputs mouse{.BlockOther = true, .RulesInUse = true, .LongestRuleInterval = 1000};

    void Key(std::uint32_t now, std::uintptr_t message, std::uint32_t vk) {
        key.Message = message, key.Vk = vk, key.Now = now, key.Rule = rule, key.DeviceAsked = false;
        KeyDecision d;
        while ((d = DecideKey(key)).AskDevice) key.From = keyboard, key.DeviceAsked = true;
        key.Keys = d.Keys, key.Presses = d.Presses;
        if (d.Stamp) mouse.LastKey = now;
        if (d.PressGap) mouse.PressGap = *d.PressGap;
    }
    void Type(std::uint32_t now, std::uint32_t vk) { Key(now, kKeyDown, vk), Key(now, kKeyUp, vk); }
    char Mouse(std::uint32_t now, std::uintptr_t message) {
        mouse.Message = message, mouse.Now = now, mouse.Paused = key.Paused, mouse.Rule.reset();
        MouseDecision d;
        while ((d = DecideMouse(mouse)).AskRule) mouse.Rule = rule;
        return d.Block ? '1' : '0';
    }
};

}  // namespace

// Settings: 500 ms, other events blocked too, the shortcut and held-key options on; no key at first.
// The last key comes at 0 (with "typing", a first one 300 ms before it); then a move at 150 ms and
// clicks at 150, 450, 950 and 1050 ms, blocked ('1') or not. An external mouse, a key from an
// external keyboard, a shortcut, a held key's repeat and a full-screen program all let everything
// through; a plain key from the computer's own keyboard blocks as the rule and the stage say.
TEST(HookDecision, RuleByTypingStageByDeviceOptionBySmartOption) {
    const struct { std::uint32_t rule; const char* stage[3]; } rows[] = {
        {0, {"11100", "11000", "11100"}},     // no rule: stage off, single key, typing
        {1, {"00000", "00000", "00000"}},     // never block
        {2, {"01100", "01000", "01100"}},     // clicks only
        {1000, {"11110", "11000", "11110"}},  // an interval of its own
    };
    enum Device { NoOption, ExternalMouse, ExternalKeyboard };
    enum Smart { PlainKey, ShortcutKey, HeldKey, FullScreen };
    for (std::uint32_t base : {10000u, 0xFFFFFF00u})
        for (const auto& row : rows)
            for (int stage : {0, 1, 2})
                for (Device device : {NoOption, ExternalMouse, ExternalKeyboard})
                    for (Smart smart : {PlainKey, ShortcutKey, HeldKey, FullScreen}) {
                        Hooks h{.rule = ProgramRule::FromStored(row.rule)};
                        h.mouse.AdaptToTyping = stage != 0;
                        h.mouse.FromExternalMouse = device == ExternalMouse;
                        h.key.ExternalKeyboardOption = device == ExternalKeyboard;
                        if (smart == HeldKey) h.Key(base - 6000, kKeyDown, 'B');
                        if (stage == 2) h.Type(base - 300, 'A');
                        if (device == ExternalKeyboard) h.keyboard = KeyFrom::External;
                        h.key.Paused = smart == FullScreen;
                        if (smart == ShortcutKey) h.Key(base, kKeyDown, 162), h.Type(base, 'C'), h.Key(base, kKeyUp, 162);
                        else if (smart == HeldKey) h.Key(base, kKeyDown, 'B');  // its auto-repeat
                        else h.Type(base, 'B');
                        std::string got{h.Mouse(base + 150, 0x200)};
                        for (std::uint32_t t : {150u, 450u, 950u, 1050u}) got += h.Mouse(base + t, 0x201);
                        EXPECT_EQ(got, device == NoOption && smart == PlainKey ? row.stage[stage] : "00000")
                            << "rule " << row.rule << ", stage " << stage << ", device " << device << ", smart " << smart
                            << ", base " << base;
                    }
}
