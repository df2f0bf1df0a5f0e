#include "touchpad/PrecisionTouchpad.h"

namespace quorlin::touchpad {

namespace {
constexpr std::uint16_t kLeftCtrl = 0xA2, kLeftWin = 0x5B, kF24 = 0x87;
}  // namespace

const KeyStroke kCombination[kCombinationLength] = {
    {kLeftCtrl, false}, {kLeftWin, false}, {kF24, false}, {kF24, true}, {kLeftWin, true}, {kLeftCtrl, true},
};

SystemReport CombineReports(const std::optional<Parameters>& parameters, std::optional<bool> rawInputTouchpad) {
    SystemReport report;
    const bool reported = parameters && parameters->present;
    if (reported || rawInputTouchpad.value_or(false))
        report.present = true;
    else if (parameters || rawInputTouchpad)
        report.present = false;
    if (reported) report.enabled = parameters->enabled;
    return report;
}

Plan PlanSwitch(bool driverAvailable, const SystemReport& report) {
    if (driverAvailable) return {Way::Driver, true, false};
    return {Way::KeyCombination, report.present.value_or(false), report.enabled.has_value()};
}

bool InitialState(bool driverAvailable, bool driverEnabled, const SystemReport& report) {
    if (driverAvailable) return driverEnabled;
    if (report.enabled) return *report.enabled;
    return report.present.value_or(false);
}

WaitStep NextWaitStep(std::uint32_t requestedAt, std::uint32_t now, bool modifierHeld) {
    if (!modifierHeld) return WaitStep::Send;
    return static_cast<std::uint32_t>(now - requestedAt) >= kModifierWaitLimitMs ? WaitStep::GiveUp : WaitStep::Wait;
}

Undo UndoPartialCombination(std::size_t inserted) {
    Undo undo;
    if (inserted > kCombinationLength) inserted = kCombinationLength;
    // Latest press first, as a person lets go of a chord.
    for (std::size_t i = inserted; i-- > 0;) {
        const KeyStroke& press = kCombination[i];
        if (press.up) continue;
        bool released = false;
        for (std::size_t j = i + 1; j < inserted; ++j) released = released || (kCombination[j].vk == press.vk && kCombination[j].up);
        if (!released) undo.strokes[undo.count++] = {press.vk, true};
    }
    return undo;
}

}  // namespace quorlin::touchpad
