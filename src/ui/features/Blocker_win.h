// The blocker: its switch and tray-menu item, the hooks that follow it, the interval and the other
// events it blocks, and the count (and beep) of the presses it swallowed.
#pragma once
#include <functional>

#include "ui/features/Feature.h"

namespace quorlin {

class Blocker : public Feature {
public:
    // countChanged: a swallowed press was counted.
    Blocker(FeatureHost& host, std::function<void()> countChanged);
    ~Blocker() override;

    void Switch(bool on, Feedback feedback);
    void Toggle(Feedback feedback) { Switch(!Settings().BlockerEnabled, feedback); }
    void SetInterval(std::uint32_t milliseconds);
    void SetBlockEvents(bool on);
    // The hooks follow the switch.
    void ApplyHooks();

    void AddMenuItems(TrayMenu& menu) override;
    void Apply() override;
    void Settled() override;
    void Refresh() override;
    void MinutesTick() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::function<void()> countChanged_;
    TMenuItem* item_ = nullptr;
};

}  // namespace quorlin
