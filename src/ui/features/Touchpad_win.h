// The touchpad switch: through the driver where there is one, otherwise the system's own key
// combination for a precision touchpad, sent once the user has let go of the hotkey's modifiers.
#pragma once
#include <cstdint>
#include <optional>

#include "shell/Timer_win.h"
#include "touchpad/PrecisionTouchpad.h"
#include "ui/features/Feature.h"

namespace quorlin {

class Touchpad : public Feature {
public:
    explicit Touchpad(FeatureHost& host);

    void Toggle(Feedback feedback);

    void AddMenuItems(TrayMenu& menu) override;
    void Refresh() override;
    void MenuOpening() override;

private:
    bool State() const;
    void SetState(bool value);
    void TimerTick();
    void Finish(Feedback feedback);

    TMenuItem* item_ = nullptr;
    TTimer timer_;
    bool wanted_ = false;  // the state asked for last, where nothing reports the real one
    // Without the driver: what the system last reported, and the combination waiting for the
    // user's modifiers (its request tick) or for the system to settle after it went out.
    touchpad::SystemReport report_;
    std::optional<std::uint32_t> requestedAt_;
    bool settling_ = false;
    Feedback feedback_ = Feedback::Quiet;  // balloon and beep once it is done
};

}  // namespace quorlin
