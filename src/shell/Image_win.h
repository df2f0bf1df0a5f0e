// Small picture controls that act as links, and the tooltips ("hints") shown over controls.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "shell/Controls_win.h"
#include "base/Unique_win.h"

namespace quorlin {

// An icon drawn at its own size, transparent, with the hand cursor; a click raises OnClick.
class TImage : public TWinControl {
public:
    // iconName names an icon resource of the executable (MAKEINTRESOURCEW for numbers, or a
    // literal: it is kept); the picture is loaded from the icon's frames at the control's size.
    TImage(HWND parent, const WindowBounds& bounds, const wchar_t* iconName);
    // A copy of the picture, shown as it is: no link, so neither hand cursor nor clicks.
    TImage(HWND parent, const WindowBounds& bounds, HICON picture);
    TNotifyEvent OnClick;
    // Loads the resource picture again at the control's current size (after a DPI change).
    void FitPicture();

protected:
    void Notify(WORD code) override;
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void ShowPicture(const WindowBounds& bounds);
    void LoadPicture(int width, int height);
    const wchar_t* iconName_ = nullptr;
    UniqueIcon icon_;
    bool link_ = true;
};

// A label that reports the pointer entering and leaving it (for links that underline on hover).
class TLinkLabel : public TLabel {
public:
    TLinkLabel(HWND parent, const WindowBounds& bounds, std::wstring_view text);
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool inside_ = false;
};

// One tooltip control for a window's controls: each control gets its hint text.
class THints {
public:
    explicit THints(HWND owner);
    THints(const THints&) = delete;
    THints& operator=(const THints&) = delete;

    // Adds the control's hint, or changes it when the control has one.
    void Add(HWND control, std::wstring_view text);
    void Remove(HWND control);
    // The hint of a control, empty when it has none.
    std::wstring Text(HWND control) const;
    HWND Handle() const { return tips_.get(); }

private:
    HWND owner_;
    UniqueWindow tips_;
};

}  // namespace quorlin
