#include "shell/Timer_win.h"

namespace quorlin {
namespace {
constexpr UINT_PTR kTimerId = 1;
}  // namespace

TTimer::TTimer(UINT interval) : interval_(interval) {
    CreateHandle(L"QuorlinTimerWindow", {}, 0, 0, 0, 0, 0, 0, HWND_MESSAGE);
}

TTimer::~TTimer() { KillTimer(Handle(), kTimerId); }

void TTimer::SetInterval(UINT ms) {
    interval_ = ms;
    Update();
}

void TTimer::SetEnabled(bool value) {
    enabled_ = value;
    Update();
}

void TTimer::Update() {
    KillTimer(Handle(), kTimerId);
    if (enabled_ && interval_ > 0) SetTimer(Handle(), kTimerId, interval_, nullptr);
}

LRESULT TTimer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    // Message-only, but any program can post to it: only the timer's end destroys the window.
    if (msg == WM_CLOSE) return 0;
    if (msg == WM_TIMER && wp == kTimerId) {
        if (OnTimer) OnTimer();
        return 0;
    }
    return TWindow::WndProc(msg, wp, lp);
}

}  // namespace quorlin
