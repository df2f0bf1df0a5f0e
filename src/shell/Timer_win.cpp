#include "shell/Timer_win.h"

namespace quorlin {
namespace {
constexpr wchar_t kClass[] = L"QuorlinTimerWindow";
constexpr UINT_PTR kTimerId = 1;
}  // namespace

TTimer::TTimer(TComponentOwner& owner, UINT interval, bool enabled)
    : TComponent(owner), interval_(interval), enabled_(enabled) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassW(&wc);  // fails harmlessly when already registered
    window_.reset(CreateWindowExW(0, kClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
    if (window_) {
        KillTimer(window_.get(), kTimerId);
        SetWindowLongPtrW(window_.get(), GWLP_USERDATA, 0);
    }
}

void TTimer::SetInterval(UINT ms) {
    interval_ = ms;
    Update();
}

void TTimer::SetEnabled(bool value) {
    enabled_ = value;
    Update();
}

// Like every component, a timer acts only once the whole design is loaded.
void TTimer::Loaded() {
    TComponent::Loaded();
    Update();
}

void TTimer::Update() {
    if (!window_) return;
    KillTimer(window_.get(), kTimerId);
    if (enabled_ && interval_ > 0 && !Loading()) SetTimer(window_.get(), kTimerId, interval_, nullptr);
}

LRESULT CALLBACK TTimer::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kTimerId) {
        if (auto* self = reinterpret_cast<TTimer*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)); self && self->OnTimer)
            self->OnTimer(*self);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace quorlin
