// A timer component: its own message-only window receives WM_TIMER, so the tick passes the
// application's message loop like every other message.
#pragma once
#include <windows.h>

#include "shell/Component.h"
#include "shell/Window_win.h"

namespace quorlin {

class TTimer : public TComponent, private TWindow {
public:
    TTimer(TComponentOwner& owner, UINT interval, bool enabled);
    ~TTimer() override;

    UINT Interval() const { return interval_; }
    void SetInterval(UINT ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    void Loaded() override;
    // The window that receives the ticks.
    HWND WindowHandle() const { return Handle(); }

    TNotifyEvent OnTimer;

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Update();
    UINT interval_;
    bool enabled_;
};

}  // namespace quorlin
