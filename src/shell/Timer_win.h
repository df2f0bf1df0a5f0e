// A timer component: its own message-only window receives WM_TIMER, so the tick passes the
// application's message loop like every other message.
#pragma once
#include <windows.h>

#include "shell/Component.h"
#include "shell/Unique_win.h"

namespace quorlin {

class TTimer : public TComponent {
public:
    TTimer(TComponentOwner& owner, UINT interval, bool enabled);
    ~TTimer() override;

    UINT Interval() const { return interval_; }
    void SetInterval(UINT ms);
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool value);
    void Loaded() override;

    TNotifyEvent OnTimer;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    void Update();
    UniqueWindow window_;
    UINT interval_;
    bool enabled_;
};

}  // namespace quorlin
