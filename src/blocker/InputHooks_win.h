// The two system-wide low-level hooks and the record they share with the main window.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <optional>

#include "blocker/BlockingRule.h"
#include "blocker/ActivityRing.h"
#include "blocker/InputDevices.h"

namespace quorlin {

class FullScreenWatch;
class ForegroundProgram;

// The smart-blocking options as the hook thread reads them while the GUI thread may change them.
struct SharedSmartOptions {
    std::atomic<bool> IgnoreShortcutKeys{false};
    std::atomic<bool> IgnoreHeldKeys{false};

    void Store(const rule::SmartOptions& options) noexcept {
        IgnoreShortcutKeys = options.IgnoreShortcutKeys;
        IgnoreHeldKeys = options.IgnoreHeldKeys;
    }
    rule::SmartOptions Load() const noexcept {
        return {IgnoreShortcutKeys.load(std::memory_order_relaxed), IgnoreHeldKeys.load(std::memory_order_relaxed)};
    }
};

// The last key's time as one 64-bit value, read and written whole.
class SharedKeyTime {
public:
    rule::KeyTime Load() const noexcept { return rule::LoadedKeyTime(value_.load(std::memory_order_relaxed)); }
    void Store(rule::KeyTime tick) noexcept { value_.store(rule::StoredKeyTime(tick), std::memory_order_relaxed); }

private:
    std::atomic<std::uint64_t> value_{0};
};

// The rule of the program in front with the window it was worked out for, published as one value,
// so that no hook ever pairs one program's window with another's rule.
class SharedRule {
public:
    void Store(HWND window, std::uint32_t code) noexcept {
        value_.store((std::uint64_t{code} << 32) | Low(window), std::memory_order_release);
    }
    // The rule's code when it was worked out for window.
    std::optional<std::uint32_t> For(HWND window) const noexcept {
        const std::uint64_t value = value_.load(std::memory_order_acquire);
        if (static_cast<std::uint32_t>(value) != Low(window)) return std::nullopt;
        return static_cast<std::uint32_t>(value >> 32);
    }

private:
    // Window handles carry 32 significant bits, on 64-bit systems too.
    static std::uint32_t Low(HWND window) noexcept {
        return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(window));
    }
    std::atomic<std::uint64_t> value_{0};
};

// The hooks run on a thread of their own that does nothing but pump messages, so no wait of the
// GUI thread (a report, a link opening, the touchpad driver, a dialog) ever holds up the desktop's
// input. What both threads touch is atomic: no lock on the hook path.
struct BlockerStateRecord {
    SharedKeyTime LastKey;  // none until a key started an interval
    std::atomic<std::uint32_t> BlockInterval{500};
    std::atomic<bool> BlockOtherEvents{true};
    // Written and read on the hook thread; the GUI thread reads them only after an install or
    // removal it asked for has completed.
    HHOOK KeyboardHook = nullptr;
    HHOOK MouseHook = nullptr;
    std::atomic<HWND> NotifyWindow{nullptr};
    SharedSmartOptions Smart;
    // Typing-aware interval: the option, and how long after the counted press before it the last
    // counted press came, stamped by the keyboard hook for the mouse hook.
    std::atomic<bool> AdaptToTyping{false};
    std::atomic<std::uint32_t> PressGap{rule::kNoPressGap};
    // Kept up to date outside the hooks while pausing in full-screen programs is on.
    std::atomic<bool> FullScreenPause{false};
    // Set on the hook thread once raw input for that kind is registered (on a thread of its own).
    std::atomic<bool> IgnoreExternalMouse{false};
    std::atomic<bool> IgnoreExternalKeyboard{false};
    // Raw input registered for both kinds only to count their order (see ObserveInputOrder).
    std::atomic<bool> ObserveOrder{false};
    // The tick of the last event a hook saw: input the system had since then never reached them.
    std::atomic<std::uint32_t> LastHookEvent{0};
    FullScreenWatch* FullScreen = nullptr;  // the watch that sets FullScreenPause, while one lives (GUI thread)
    // Rules per program, kept by ForegroundProgram on the GUI thread. The hooks look at the window
    // in front only while some program has a rule, and only for events a rule can change.
    std::atomic<bool> RulesInUse{false};
    std::atomic<std::uint32_t> LongestRuleInterval{0};
    SharedRule Rule;                           // ProgramRule::Code and the window it was worked out for
    std::atomic<HWND> RuleAsked{nullptr};      // the last window the hooks asked about
    ForegroundProgram* Foreground = nullptr;   // the GUI thread's, while one lives
    rule::KeyboardState Keys;               // the hook thread's alone
    rule::PressClock Presses;               // the hook thread's alone

    // Back to the values at start; only while no hooks are installed.
    void Reset() noexcept;
};

// Process-wide; written by the main window, read by the hook procedures on the hook thread.
extern BlockerStateRecord BlockerState;

// Both run the installation or removal on the hook thread (started by the first installation)
// and return when it is done.
void InstallHooks(HWND window);
void UninstallHooks();
// Forgets, on the hook thread, held keys the system no longer reports down: their releases may
// have gone to another desktop (the lock screen, the secure attention screen).
void SettleHeldKeys();
// Posted to the notify window by a hook that found another window in front than the one the rule
// in force was worked out for; until the answer, events are decided as the settings say.
inline constexpr UINT WM_FOREGROUND_RULE = WM_APP + 0x42;
// Posted to the notify window when raw input reports a device that came or went.
inline constexpr UINT WM_INPUT_DEVICES_CHANGED = WM_APP + 0x41;

// Hands the hook thread the devices present and which kinds of external device to ignore. Raw input
// is registered for those kinds only, on the raw input thread (which posts WM_INPUT_DEVICES_CHANGED),
// and removed when both are off; returns when done.
void SetExternalDevices(bool ignoreMouse, bool ignoreKeyboard, const devices::DeviceTable& table);

// For the diagnostics report: when the hooks went in (nothing while out), how often the minutes tick
// found input they had not seen (the system had dropped them) and how often they were put back.
struct HookHealth {
    std::optional<std::uint32_t> InstalledTick;
    std::uint32_t FoundRemoved = 0;
    std::uint32_t PutBack = 0;
};
HookHealth ReadHookHealth();
// How often raw input reported an event before its hook, after it or never, counted while a device
// option was on or the order was observed.
activity::InputOrderCounts InputOrderSoFar();
// Raw input for both kinds while on, with no device option: only counted, deciding nothing.
void ObserveInputOrder(bool on);

// Removes the hooks and ends their thread; InstallHooks starts a new one.
void EndHookThread();

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);

}  // namespace quorlin
