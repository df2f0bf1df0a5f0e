// The typing-aware interval: "Shorter block after a single key", the smart-blocking submenu's last
// item, and the option handed to the hooks.
#pragma once
#include "ui/features/Feature.h"

namespace quorlin {

class TypingAware : public Feature {
public:
    TypingAware(FeatureHost& host, SharedSubmenu& smart) : Feature(host), smart_(smart) {}

    void AddMenuItems(TrayMenu& menu) override;
    void Apply() override;
    void Refresh() override;

private:
    SharedSubmenu& smart_;
    TMenuItem* item_ = nullptr;
};

}  // namespace quorlin
