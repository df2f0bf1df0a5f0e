// What the tray icon shows of the model: the picture of the blocker's state for the taskbar's
// theme and DPI, the tip, and the balloons.
#pragma once
#include <string>

#include "base/Unique_win.h"
#include "shell/TrayIcon_win.h"
#include "ui/features/Feature.h"

namespace quorlin {

class TrayPresentation : public Feature {
public:
    TrayPresentation(FeatureHost& host, TTrayIcon& icon);

    // Puts the icon into the notification area.
    void Show();
    std::wstring StatusText(StatusKind kind) const;
    // The balloon for a state; none while balloons are off.
    void Balloon(StatusKind kind);

    void Refresh() override;
    void MinutesTick() override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // The tray pictures for the taskbar's current theme.
    void ReloadImages();

    TTrayIcon& icon_;
    UniqueIcon on_, off_;
    HICON shown_ = nullptr;  // the picture the shell has
};

}  // namespace quorlin
