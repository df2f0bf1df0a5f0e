#include "shell/WndProcHook_win.h"

#include <algorithm>
#include <vector>

#include "shell/Form_win.h"
#include "shell/Window_win.h"

namespace quorlin {

namespace {

// The window's own procedure, kept on the window while a chain is installed on it.
constexpr wchar_t kOwnProcProperty[] = L"Quorlin.OwnWndProc";

// Every hook of the process in creation order; GUI thread only.
std::vector<TWndProcHook*>& Hooks() {
    static std::vector<TWndProcHook*> hooks;
    return hooks;
}

}  // namespace

TWndProcHook::TWndProcHook(TComponentOwner& owner) : TComponentBase(owner) { Hooks().push_back(this); }

TWndProcHook::~TWndProcHook() {
    SetActive(false);
    std::erase(Hooks(), this);
}

HWND TWndProcHook::HookedWindow() const {
    if (window_) return window_;
    auto* form = dynamic_cast<TForm*>(&Owner());
    return form ? form->Handle() : nullptr;
}

void TWndProcHook::SetHookedWindow(HWND window) {
    if (window == window_) return;
    const bool wasActive = active_;
    SetActive(false);
    window_ = window;
    SetActive(wasActive);
}

void TWndProcHook::SetActive(bool value) {
    if (value == active_) return;
    if (value)
        Link();
    else
        Unlink();
}

void TWndProcHook::Link() {
    active_ = true;
    const HWND window = HookedWindow();
    if (!window || !IsWindow(window)) return;  // active without a window: nothing to chain into
    linked_ = window;
    if (GetPropW(window, kOwnProcProperty)) return;  // the chain is installed already
    const auto own = GetWindowLongPtrW(window, GWLP_WNDPROC);
    SetPropW(window, kOwnProcProperty, reinterpret_cast<HANDLE>(own));
    SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWndProcHook::ChainProc));
}

void TWndProcHook::Unlink() {
    active_ = false;
    const HWND window = std::exchange(linked_, nullptr);
    if (!window || !IsWindow(window)) return;
    for (const TWndProcHook* other : Hooks())
        if (other->active_ && other->linked_ == window) return;  // the others keep the chain
    // The last one gives the window its own procedure back, unless someone has put another
    // procedure in front of the chain since: that one still passes messages through it.
    const auto own = reinterpret_cast<LONG_PTR>(GetPropW(window, kOwnProcProperty));
    if (GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&TWndProcHook::ChainProc)) return;
    SetWindowLongPtrW(window, GWLP_WNDPROC, own);
    RemovePropW(window, kOwnProcProperty);
}

LRESULT CALLBACK TWndProcHook::ChainProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    const auto own = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOwnProcProperty));
    LRESULT result = 0;
    bool handled = false;
    Guarded([&] {
        // Newest first; by index, because a handler may create or destroy hooks.
        auto& hooks = Hooks();
        for (std::size_t i = hooks.size(); i-- > 0 && !handled;) {
            if (i >= hooks.size()) continue;
            TWndProcHook* hook = hooks[i];
            if (hook->active_ && hook->linked_ == hwnd) hook->HookMessage(msg, wp, lp, result, handled);
        }
        return LRESULT{0};
    });
    if (msg == WM_NCDESTROY) {
        // The window goes: the hooks stay active but no longer linked, and the chain comes off.
        for (TWndProcHook* hook : Hooks())
            if (hook->linked_ == hwnd) hook->linked_ = nullptr;
        if (own) SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        RemovePropW(hwnd, kOwnProcProperty);
    }
    if (handled) return result;
    return own ? CallWindowProcW(own, hwnd, msg, wp, lp) : DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace quorlin
