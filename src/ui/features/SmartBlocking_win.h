// The smart-blocking submenu and its first three options: pausing in full-screen programs (with
// the watch that lives while it is on), keys pressed as shortcuts and keys held down.
#pragma once
#include <optional>

#include "blocker/FullScreen_win.h"
#include "shell/Timer_win.h"
#include "ui/features/Feature.h"

namespace quorlin {

class SmartBlocking : public Feature {
public:
    SmartBlocking(FeatureHost& host, TComponentOwner& owner);

    void AddMenuItems(TrayMenu& menu) override;
    void Apply() override;
    void Refresh() override;
    void MinutesTick() override;

private:
    TMenuItem* fullScreenItem_ = nullptr;
    TMenuItem* shortcutsItem_ = nullptr;
    TMenuItem* heldKeysItem_ = nullptr;
    std::optional<FullScreenWatch> fullScreen_;
    // Some systems (Wine among them) report no foreground or location events: checked each second
    // until one arrives.
    TTimer timer_;
};

}  // namespace quorlin
