// The tray's Settings and About items, the About entry of the window's system menu, the About
// window, and the links of both windows.
#pragma once
#include <functional>

#include "ui/features/Feature.h"

namespace quorlin {

class About : public Feature {
public:
    // The settings window's system menu gets About too; showSettings shows that window.
    About(FeatureHost& host, std::function<void()> showSettings);

    // The About window, unless a modal window (this one too) is open already.
    void Open();
    // What a link with that tag opens, and the report of it.
    void OpenLink(int tag);
    // The Settings item's command: the settings window, unless a modal window is open.
    void ShowSettings();

    void AddMenuItems(TrayMenu& menu) override;
    void Refresh() override;
    // About chosen in the settings window's system menu.
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    std::function<void()> showSettings_;
    TMenuItem* setupItem_ = nullptr;
    TMenuItem* aboutItem_ = nullptr;
};

}  // namespace quorlin
