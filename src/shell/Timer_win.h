// A timer: its own message-only window receives WM_TIMER, so the tick passes the application's
// message loop like every other message. Created stopped; SetEnabled starts it.
#pragma once
#include <windows.h>

#include <functional>

#include "shell/Window_win.h"

namespace quorlin {

class TTimer : private TWindow {
public:
    explicit TTimer(UINT interval);
    ~TTimer() override;

    UINT Interval() const { return interval_; }
    void SetInterval(UINT ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    // The window that receives the ticks.
    HWND WindowHandle() const { return Handle(); }

    std::function<void()> OnTimer;

private:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    void Update();
    UINT interval_;
    bool enabled_ = false;
};

}  // namespace quorlin
