#include "shell/TrayIcon_win.h"

#include <algorithm>

#include "shell/Application_win.h"

namespace quorlin {

namespace {

constexpr wchar_t kWindowClass[] = L"QuorlinTrayIconWindow";
// While the icon is wanted but the shell has not taken it: another add every few seconds.
constexpr UINT_PTR kRetryTimer = 1;
constexpr UINT kRetryInterval = 3000;

// Copies text into a fixed field, cut so that the field always ends with a zero.
template <std::size_t N>
void CopyField(wchar_t (&field)[N], const std::wstring& text) {
    std::size_t n = std::min(text.size(), N - 1);
    // Never leave half of a surrogate pair at the end of the cut.
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    std::copy_n(text.data(), n, field);
    field[n] = L'\0';
}

UINT TaskbarCreatedMessage() {
    static const UINT message = RegisterWindowMessageW(L"TaskbarCreated");
    return message;
}

}  // namespace

TTrayIcon::TTrayIcon(HWND owner) : owner_(owner) {
    // Top-level (not message-only), so that broadcasts such as "TaskbarCreated" reach it.
    CreateHandle(kWindowClass, {}, WS_EX_TOOLWINDOW, WS_POPUP, 0, 0, 0, 0, nullptr);
    data_.cbSize = sizeof data_;
    data_.hWnd = Handle();
    data_.uID = 0;
    data_.uCallbackMessage = WM_TRAY_CALLBACK;
    TaskbarCreatedMessage();
}

TTrayIcon::~TTrayIcon() {
    if (visible_) Notify(NIM_DELETE);
}

bool TTrayIcon::Notify(DWORD command) {
    data_.uFlags = NIF_MESSAGE | NIF_TIP | (command == NIM_DELETE ? 0u : NIF_ICON);
    data_.hIcon = icon_.get();
    CopyField(data_.szTip, hint_);
    return Shell_NotifyIconW(command, &data_) != FALSE;
}

void TTrayIcon::SetHint(const std::wstring& text) {
    if (text == hint_) return;
    hint_ = text;
    UpdateIcon();
}

void TTrayIcon::SetIcon(HICON icon) {
    icon_.reset(icon ? CopyIcon(icon) : nullptr);
    UpdateIcon();
}

void TTrayIcon::SetVisible(bool value) {
    if (value == visible_) return;
    visible_ = value;
    if (value) {
        Add();
    } else {
        KillTimer(Handle(), kRetryTimer);
        Notify(NIM_DELETE);
    }
}

void TTrayIcon::Add() {
    if (Notify(NIM_ADD)) {
        KillTimer(Handle(), kRetryTimer);
        return;
    }
    // The shell may be busy or not there yet (at logon): without the icon a hidden program is out
    // of reach, so it tries again until the add takes.
    SetTimer(Handle(), kRetryTimer, kRetryInterval, nullptr);
}

bool TTrayIcon::UpdateIcon() {
    if (Notify(NIM_MODIFY)) return true;
    // The shell does not hold the icon (an add that failed, a shell that lost it): add it again.
    if (visible_) Add();
    return false;
}

bool TTrayIcon::ShowBalloon(const std::wstring& title, const std::wstring& text, UINT timeoutMs, bool warning) {
    NOTIFYICONDATAW info = data_;
    // NIF_INFO alone leaves image and tip as they are.
    info.uFlags = NIF_INFO;
    info.dwInfoFlags = warning ? NIIF_WARNING : NIIF_INFO;
    info.uTimeout = timeoutMs;
    CopyField(info.szInfo, text);
    CopyField(info.szInfoTitle, title);
    return Shell_NotifyIconW(NIM_MODIFY, &info) != FALSE;
}

LRESULT TTrayIcon::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TRAY_CALLBACK) {
        HandleNotification(static_cast<UINT>(lp));
        return 0;
    }
    if (msg == WM_QUERYENDSESSION) return 1;
    if (msg == WM_TIMER && wp == kRetryTimer) {
        // An add that timed out may have taken after all: a modify that succeeds ends the retries,
        // a failing one adds again (and keeps the timer while that fails).
        KillTimer(Handle(), kRetryTimer);
        if (visible_) UpdateIcon();
        return 0;
    }
    if (msg == TaskbarCreatedMessage() && visible_) {
        Notify(NIM_DELETE);  // fails when the new shell does not know the icon
        Add();
    }
    return TWindow::WndProc(msg, wp, lp);
}

void TTrayIcon::HandleNotification(UINT code) {
    switch (code) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (code == WM_LBUTTONDOWN) clicked_ = true;
        if (OnPressed) OnPressed();
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        if (owner_) SetForegroundWindow(owner_);
        if (code == WM_LBUTTONUP && std::exchange(clicked_, false) && OnClick) OnClick();
        if (code != WM_RBUTTONUP || !OnMenu) break;
        POINT pt{};
        GetCursorPos(&pt);
        TApplication::Instance().ProcessMessages();
        // Without the foreground the menu would not close when the user clicks elsewhere.
        if (owner_) SetForegroundWindow(owner_);
        OnMenu(pt);
        // Lets the system finish the menu's foreground switch.
        if (owner_) PostMessageW(owner_, WM_NULL, 0, 0);
        break;
    }
    case WM_LBUTTONDBLCLK:
        if (!OnDoubleClick) break;
        OnDoubleClick();
        if (owner_) SetForegroundWindow(owner_);
        break;
    default:
        break;
    }
}

}  // namespace quorlin
