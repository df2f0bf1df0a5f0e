#include "shell/Image_win.h"

#include <commctrl.h>

namespace quorlin {

TImage::TImage(HWND parent, const WindowBounds& bounds, const wchar_t* iconName)
    : TWinControl(parent, L"STATIC", SS_ICON | SS_NOTIFY | SS_REALSIZEIMAGE, 0, bounds), iconName_(iconName) {
    LoadPicture(bounds.Width, bounds.Height);
    ShowPicture(bounds);
}

void TImage::LoadPicture(int width, int height) {
    // Owned: a picture the control drops is destroyed with it.
    icon_.reset(static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), iconName_, IMAGE_ICON, width, height, 0)));
}

void TImage::FitPicture() {
    if (!iconName_) return;
    const WindowBounds bounds = Bounds();
    UniqueIcon previous = std::move(icon_);
    LoadPicture(bounds.Width, bounds.Height);
    ShowPicture(bounds);
}

TImage::TImage(HWND parent, const WindowBounds& bounds, HICON picture)
    : TWinControl(parent, L"STATIC", SS_ICON | SS_REALSIZEIMAGE, 0, bounds), link_(false) {
    icon_.reset(picture ? CopyIcon(picture) : nullptr);
    ShowPicture(bounds);
}

void TImage::ShowPicture(const WindowBounds& bounds) {
    SendMessageW(Handle(), STM_SETICON, reinterpret_cast<WPARAM>(icon_.get()), 0);
    // STM_SETICON may resize the control to the icon; keep the designed place.
    SetBounds(bounds);
}

void TImage::Notify(WORD code) {
    if (code == STN_CLICKED && OnClick) OnClick();
}

LRESULT TImage::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_SETCURSOR && link_) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return DefaultProc(msg, wp, lp);
}

TLinkLabel::TLinkLabel(HWND parent, const WindowBounds& bounds, std::wstring_view text)
    : TLabel(parent, bounds, text) {}

LRESULT TLinkLabel::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_MOUSEMOVE && !inside_) {
        inside_ = true;
        TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, Handle(), 0};
        TrackMouseEvent(&track);
        if (OnMouseEnter) OnMouseEnter();
    } else if (msg == WM_MOUSELEAVE) {
        inside_ = false;
        if (OnMouseLeave) OnMouseLeave();
    }
    return DefaultProc(msg, wp, lp);
}

THints::THints(HWND owner) : owner_(owner) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    tips_.reset(CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr,
                                GetModuleHandleW(nullptr), nullptr));
}

void THints::Add(HWND control, std::wstring_view text) {
    if (!tips_ || !control) return;
    std::wstring copy(text);
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = copy.data();  // the control copies the text
    SendMessageW(tips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    SendMessageW(tips_.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

void THints::Remove(HWND control) {
    if (!tips_ || !control) return;
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    SendMessageW(tips_.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

std::wstring THints::Text(HWND control) const {
    if (!tips_) return {};
    wchar_t buffer[256] = {};
    TTTOOLINFOW ti{};
    ti.cbSize = sizeof ti;
    ti.hwnd = owner_;
    ti.uId = reinterpret_cast<UINT_PTR>(control);
    ti.lpszText = buffer;
    SendMessageW(tips_.get(), TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&ti));
    return buffer;
}

}  // namespace quorlin
