// The tray's Settings and About items, the About entry of the window's system menu, the About
// window, and the links of both windows.
#pragma once
#include <functional>

#include "shell/SystemMenu_win.h"
#include "ui/features/Feature.h"

namespace quorlin {

class About : public Feature {
public:
    // owner: the settings window, whose system menu gets About; showSettings shows that window.
    About(FeatureHost& host, TComponentOwner& owner, std::function<void()> showSettings);

    // The About window, unless a modal window (this one too) is open already.
    void Open();
    // What a link with that tag opens, and the report of it.
    void OpenLink(int tag);
    // The Settings item's command: the settings window, unless a modal window is open.
    void ShowSettings();

    void AddMenuItems(TrayMenu& menu) override;
    void Refresh() override;

private:
    std::function<void()> showSettings_;
    TMenuItem* setupItem_ = nullptr;
    TMenuItem* aboutItem_ = nullptr;
    TMenuItem split_{L"-"};
    // The separator and About at the top of the window's system menu.
    TSystemMenuItem systemSplit_;
    TSystemMenuItem systemAbout_;
};

}  // namespace quorlin
