// Switching a touchpad without its vendor's driver: the system toggles a precision touchpad when it
// sees Ctrl+Win+F24. The rules here decide which way a switch goes, what the program shows, and
// when the combination may be sent; the system calls live in PrecisionTouchpad_win.cpp.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorlin::touchpad {

// The system's touchpad parameters, where it reports them.
struct Parameters {
    bool present = false;
    bool enabled = false;
};

// What the system tells about precision touchpads.
struct SystemReport {
    std::optional<bool> present;  // none: neither source could tell
    std::optional<bool> enabled;  // only where the system reports the state of a present touchpad
};

// Either source may report a touchpad; only the parameters report its state. `parameters` is none
// when the system does not answer; `rawInputTouchpad` is none when its device list could not be read.
SystemReport CombineReports(const std::optional<Parameters>& parameters, std::optional<bool> rawInputTouchpad);

enum class Way { Driver, KeyCombination };

struct Plan {
    Way way = Way::KeyCombination;
    bool offered = false;        // the menu item, the tip line and the settings' touchpad controls
    bool stateReported = false;  // texts show the system's state rather than the remembered one
};

Plan PlanSwitch(bool driverAvailable, const SystemReport& report);

// The remembered state at start: the driver's or the system's where they tell; otherwise a touchpad
// known to be there is on until someone switches it off, and none reported is off.
bool InitialState(bool driverAvailable, bool driverEnabled, const SystemReport& report);

// The hotkey's own modifiers are still down when it fires: the combination waits until the user
// lets go of them, polled at this period, and is given up after the limit. Where the system reports
// the state, it is read again a moment after the combination was sent.
inline constexpr std::uint32_t kModifierPollMs = 50;
inline constexpr std::uint32_t kModifierWaitLimitMs = 3000;
inline constexpr std::uint32_t kStateSettleMs = 300;

enum class WaitStep { Wait, Send, GiveUp };

// Ticks are GetTickCount values; unsigned arithmetic keeps the wrap-around harmless.
WaitStep NextWaitStep(std::uint32_t requestedAt, std::uint32_t now, bool modifierHeld);

struct KeyStroke {
    std::uint16_t vk = 0;
    bool up = false;
};

// Left Ctrl, left Windows key, F24 down, then up in reverse order.
inline constexpr std::size_t kCombinationLength = 6;
extern const KeyStroke kCombination[kCombinationLength];

// When the system took only the first `inserted` strokes, the releases that leave none of them down.
struct Undo {
    KeyStroke strokes[kCombinationLength];
    std::size_t count = 0;
};
Undo UndoPartialCombination(std::size_t inserted);

}  // namespace quorlin::touchpad
