// The decisions of the input hooks, free of any system call so they can be tested anywhere.
#pragma once
#include <cstdint>
#include <optional>

#include "base/ProgramRule.h"

namespace quorlin {

// Posted (never sent) to the notify window for each swallowed press that counts (IsCountedPress);
// wParam is its message. Moves and wheel turns post nothing: a palm on the touchpad swallows
// hundreds a second, which would fill a stalled window's queue and cost each event a post.
inline constexpr unsigned WM_BLOCKED_EVENT = 0x753;

namespace rule {

inline constexpr int kHcAction = 0;
inline constexpr std::uintptr_t kKeyDown = 0x100;
inline constexpr std::uintptr_t kKeyUp = 0x101;
inline constexpr std::uintptr_t kSysKeyDown = 0x104;
inline constexpr std::uintptr_t kSysKeyUp = 0x105;

// Modifier and lock keys never start a blocking window, so Ctrl+click and Shift+click keep working.
constexpr bool IsExcludedKey(std::uint32_t vk) noexcept {
    switch (vk) {
    case 16: case 17: case 18:            // Shift, Ctrl, Alt
    case 20:                              // Caps Lock
    case 91: case 92:                     // Windows keys
    case 144: case 145:                   // Num Lock, Scroll Lock
    case 160: case 161: case 162: case 163: case 164: case 165:  // left/right Shift, Ctrl, Alt
        return true;
    default:
        return false;
    }
}

// Only plain key presses and releases count; WM_SYSKEYDOWN/UP (keys held with Alt, F10) do not.
constexpr bool StampsKeyTick(int nCode, std::uintptr_t wParam, std::uint32_t vk) noexcept {
    return nCode == kHcAction && (wParam == kKeyDown || wParam == kKeyUp) && !IsExcludedKey(vk);
}

// One bit per virtual key code; codes from 256 on are never held.
struct KeySet {
    std::uint32_t Words[8]{};
    constexpr bool Has(std::uint32_t vk) const noexcept { return vk < 256 && ((Words[vk / 32] >> (vk % 32)) & 1u); }
    constexpr void Set(std::uint32_t vk, bool on) noexcept {
        if (vk >= 256) return;
        const std::uint32_t bit = 1u << (vk % 32);
        Words[vk / 32] = on ? (Words[vk / 32] | bit) : (Words[vk / 32] & ~bit);
    }
};

// What the keyboard hook remembers between events.
struct KeyboardState {
    KeySet Down;      // pressed and not yet released
    KeySet Shortcut;  // of those, the ones first pressed while Ctrl, Alt or a Windows key was held
};

// The smart-blocking options that the keyboard hook applies; both off keeps the plain rule.
struct SmartOptions {
    bool IgnoreShortcutKeys = false;
    bool IgnoreHeldKeys = false;
};

// Tab, Esc, Page Up/Down, End, Home, the arrows, Insert, Delete and F1 to F24 move or command; they type nothing.
constexpr bool IsNavigationKey(std::uint32_t vk) noexcept {
    return vk == 9 || vk == 27 || (vk >= 33 && vk <= 40) || vk == 45 || vk == 46 || (vk >= 112 && vk <= 135);
}

// Injected input may name Ctrl and Alt without their side; the extended flag marks the right-hand ones.
constexpr std::uint32_t SidedKey(std::uint32_t vk, bool extended) noexcept {
    if (vk == 17) return extended ? 163 : 162;
    if (vk == 18) return extended ? 165 : 164;
    return vk;
}

// Ctrl, Alt or a Windows key held makes the next key a shortcut. AltGr arrives as right Alt together
// with a left Ctrl and types characters on many keyboards, so that pair alone is no shortcut.
constexpr bool ShortcutModifierHeld(const KeySet& down) noexcept {
    if (down.Has(91) || down.Has(92) || down.Has(163) || down.Has(164)) return true;  // Windows keys, right Ctrl, left Alt
    return down.Has(162) != down.Has(165);  // left Ctrl or right Alt alone
}

// Applies one keyboard event to the held keys and tells whether it starts a blocking interval: what
// StampsKeyTick says, less auto-repeats and shortcuts when their options are on, and nothing at all
// while a full-screen program pauses the blocker or the program in front is never to be blocked.
constexpr bool KeyStartsInterval(KeyboardState& keys, int nCode, std::uintptr_t message, std::uint32_t vk,
                                 bool extended, const SmartOptions& options, bool paused,
                                 ProgramRule rule = {}) noexcept {
    const bool press = message == kKeyDown || message == kSysKeyDown;
    if (nCode != kHcAction || (!press && message != kKeyUp && message != kSysKeyUp)) return false;
    const std::uint32_t key = SidedKey(vk, extended);
    const bool repeat = press && keys.Down.Has(key);
    if (press && !repeat) keys.Shortcut.Set(key, ShortcutModifierHeld(keys.Down));
    const bool shortcut = keys.Shortcut.Has(key) || IsNavigationKey(key);
    keys.Down.Set(key, press);
    if (!press) keys.Shortcut.Set(key, false);
    if (paused || rule.NeverBlocks() || !StampsKeyTick(nCode, message, vk)) return false;
    if (options.IgnoreHeldKeys && repeat) return false;
    return !(options.IgnoreShortcutKeys && shortcut);
}

// Forgets a key whose release the hook never saw.
constexpr void ForgetKey(KeyboardState& keys, std::uint32_t vk) noexcept {
    keys.Down.Set(vk, false);
    keys.Shortcut.Set(vk, false);
}

// Button presses and double clicks are always candidates, releases never (a side button's too: its
// press let through and its release swallowed would leave it down for good); everything else
// (moves, wheel, side button presses) only when other events are blocked too.
constexpr bool IsCandidate(std::uintptr_t mouseMessage, bool blockOtherEvents) noexcept {
    switch (mouseMessage) {
    case 0x201: case 0x203:  // left down, double click
    case 0x204: case 0x206:  // right
    case 0x207: case 0x209:  // middle
        return true;
    case 0x202: case 0x205: case 0x208: case 0x20C:  // releases reach their window on their own
        return false;
    default:
        return blockOtherEvents;
    }
}

// The swallowed events counted and beeped for: presses of the left, right and middle buttons.
constexpr bool IsCountedPress(std::uintptr_t mouseMessage) noexcept {
    return mouseMessage == 0x201 || mouseMessage == 0x204 || mouseMessage == 0x207;
}

// The tick of the last key that started an interval, or none before the first: a tick that was
// never set is never compared (0 is a tick like any other, just after start or a wrap).
using KeyTime = std::optional<std::uint32_t>;

// Unsigned arithmetic makes the tick counter's wrap-around after 49.7 days harmless.
constexpr bool IsWithinInterval(std::uint32_t now, KeyTime lastKey, std::uint32_t interval) noexcept {
    return lastKey && static_cast<std::uint32_t>(now - *lastKey) < interval;
}

// A time this old means nothing to any decision (the longest interval is seconds) and is dropped
// whenever the hooks go in, every few minutes: so no kept tick ever lives to be 49.7 days old,
// where the counter comes round to it again.
inline constexpr std::uint32_t kForgetAfter = 60 * 60 * 1000;
constexpr KeyTime Forgotten(KeyTime tick, std::uint32_t now) noexcept {
    return tick && now - *tick > kForgetAfter ? std::nullopt : tick;
}

// The record keeps the key time as one 64-bit value (bit 32 set when there is one), so that it is
// read and written whole.
constexpr std::uint64_t StoredKeyTime(KeyTime tick) noexcept { return tick ? (std::uint64_t{1} << 32) | *tick : 0; }
constexpr KeyTime LoadedKeyTime(std::uint64_t stored) noexcept {
    return stored >> 32 ? KeyTime(static_cast<std::uint32_t>(stored)) : std::nullopt;
}

// A press, or any event when other events are blocked too, within the interval after the last
// key, unless a full-screen program pauses the blocker. The interval is the one that applies (the
// rule's or the settings', typing-aware stage included): see DecideMouse.
constexpr bool ShouldBlockMouse(int nCode, std::uintptr_t mouseMessage, bool blockOtherEvents,
                                std::uint32_t now, KeyTime lastKey, std::uint32_t interval,
                                bool paused = false) noexcept {
    return !paused && nCode == kHcAction && IsCandidate(mouseMessage, blockOtherEvents) &&
           IsWithinInterval(now, lastKey, interval);
}

// Whether some rule could have the event blocked, given the longest interval any rule has: when
// not, the hook need not ask which program is in front. No rule blocks more than the settings do
// but for a longer interval.
constexpr bool RuleMayBlockMouse(int nCode, std::uintptr_t mouseMessage, bool blockOtherEvents, std::uint32_t now,
                                 KeyTime lastKey, std::uint32_t interval, bool paused,
                                 std::uint32_t longestRuleInterval) noexcept {
    return ShouldBlockMouse(nCode, mouseMessage, blockOtherEvents, now, lastKey,
                            interval > longestRuleInterval ? interval : longestRuleInterval, paused);
}

// Typing-aware interval: a single key blocks briefly (reaching for the touchpad after Enter), keys
// that show typing block for the whole interval, at any typing speed.
inline constexpr std::uint32_t kSingleKeyBlock = 200;
inline constexpr std::uint32_t kNoPressGap = 0xFFFFFFFFu;  // before the first press: a single key

// The last press that started an interval; the keyboard hook's alone.
struct PressClock {
    std::uint32_t Last = 0;
    bool Any = false;
};

// A press that starts an interval, at now: how long after the one before it came.
constexpr std::uint32_t CountPress(PressClock& clock, std::uint32_t now) noexcept {
    const std::uint32_t gap = clock.Any ? now - clock.Last : kNoPressGap;
    clock = {now, true};
    return gap;
}

// The same dropping of old times as Forgotten.
constexpr void ForgetOldPress(PressClock& clock, std::uint32_t now) noexcept {
    if (clock.Any && now - clock.Last > kForgetAfter) clock = {};
}

// How long the last counted key blocks, with the interval that applies and the gap of the last
// counted press: a release goes on with its press's stage, from its own time. A press is typing
// when it came within an interval of the one before; otherwise it blocks for the short stage.
constexpr std::uint32_t BlockLength(std::uint32_t interval, bool adaptToTyping, std::uint32_t pressGap) noexcept {
    if (!adaptToTyping || pressGap < interval) return interval;
    return interval < kSingleKeyBlock ? interval : kSingleKeyBlock;
}

struct PixelRect {
    std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

inline constexpr int kQunsRunningD3DFullScreen = 3;
inline constexpr int kQunsPresentationMode = 4;

// Full screen: the foreground window covers its whole (non-empty) monitor and is neither the
// desktop or the shell's nor a maximized window with a caption, or the shell's notification state
// reports a full-screen Direct3D program or presentation mode. An ordinary maximized window's frame
// covers a monitor that has no taskbar, though its caption shows it is no full-screen program.
constexpr bool IsFullScreen(const PixelRect& window, const PixelRect& monitor, bool desktopOrShell,
                            int notificationState, bool zoomedWithCaption = false) noexcept {
    if (notificationState == kQunsRunningD3DFullScreen || notificationState == kQunsPresentationMode) return true;
    return !desktopOrShell && !zoomedWithCaption && monitor.Right > monitor.Left && monitor.Bottom > monitor.Top &&
           window.Left <= monitor.Left && window.Top <= monitor.Top && window.Right >= monitor.Right &&
           window.Bottom >= monitor.Bottom;
}

}  // namespace rule
}  // namespace quorlin
