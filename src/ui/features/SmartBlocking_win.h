// The smart-blocking submenu and its first three options: pausing in full-screen programs (with
// the watch that lives while it is on), keys pressed as shortcuts and keys held down. Other
// features put their options into the submenu through AddItem.
#pragma once
#include <memory>
#include <optional>

#include "blocker/FullScreen_win.h"
#include "shell/Timer_win.h"
#include "ui/features/Feature.h"

namespace quorlin {

class SmartBlocking : public Feature, public SharedSubmenu {
public:
    explicit SmartBlocking(FeatureHost& host);

    // An item at the end of the submenu.
    TMenuItem& AddItem(std::wstring caption) override { return submenu_->Add(std::move(caption)); }

    void AddMenuItems(TrayMenu& menu) override;
    void Apply() override;
    void Refresh() override;
    void MinutesTick() override;

private:
    std::unique_ptr<TMenuItem> owned_;  // the submenu until the tray menu takes it
    TMenuItem* submenu_;
    TMenuItem* fullScreenItem_ = nullptr;
    TMenuItem* shortcutsItem_ = nullptr;
    TMenuItem* heldKeysItem_ = nullptr;
    std::optional<FullScreenWatch> fullScreen_;
    // Some systems (Wine among them) report no foreground or location events: checked each second
    // until one arrives.
    TTimer timer_{1000};
};

}  // namespace quorlin
