// Leaving external mice and keyboards alone: the two options, the user's placement of single
// devices, the hand-over of the devices present to the hook thread, and the "Input devices"
// submenu that shows and changes the placements.
#pragma once
#include "ui/features/Feature.h"

namespace quorlin {

class Devices : public Feature {
public:
    // Its options and the submenu of devices go into the smart-blocking submenu.
    Devices(FeatureHost& host, SharedSubmenu& smart) : Feature(host), smart_(smart) {}

    void AddMenuItems(TrayMenu& menu) override;
    // Hands the hook thread the devices present now. With both options off it takes raw input
    // down and costs nothing more.
    void Apply() override;
    void Refresh() override;
    void MenuOpening() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // The devices present now, pointing devices first, one item per physical device, checked when
    // treated as built in; choosing one places it the other way at once.
    void FillSubmenu();

    SharedSubmenu& smart_;
    TMenuItem* mouseItem_ = nullptr;
    TMenuItem* keyboardItem_ = nullptr;
    TMenuItem* submenu_ = nullptr;
    bool refusalTold_ = false;  // the balloon for the options the system refused was shown
};

}  // namespace quorlin
