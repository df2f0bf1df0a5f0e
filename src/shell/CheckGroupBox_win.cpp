#include "shell/CheckGroupBox_win.h"

#include <algorithm>

#include "base/Dpi.h"
#include "shell/Dpi_win.h"

namespace quorlin {

namespace {
// Where the group box frame starts its own caption text; the frame line stops there.
constexpr LONG kFrameCaptionLeft = 7;
}  // namespace

TCheckGroupBox::TCheckGroupBox(HWND parent, const WindowBounds& bounds, std::wstring_view caption)
    : TGroupBox(parent, bounds, caption), checkBox_(Handle(), {8, 0, 0, 0}, caption, true) {
    // Wired only now that the box is checked, so creation raises nothing.
    checkBox_.OnClick = [this] { CheckBoxClick(); };
    AdjustCheckBox();
}

bool TCheckGroupBox::GetCheckBoxChecked() const { return checkBox_.Checked(); }

void TCheckGroupBox::SetCheckBoxChecked(bool checked) {
    checkBox_.SetChecked(checked);  // raises CheckBoxClick on a change
    UpdateControlsEnabled();
}

bool TCheckGroupBox::CheckBoxVisible() const { return checkBox_.Visible(); }

void TCheckGroupBox::SetCheckBoxVisible(bool visible) {
    checkBox_.SetVisible(visible);
    AdjustCheckBox();
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TCheckGroupBox::SetAutoDisableControls(bool value) {
    autoDisableControls_ = value;
    UpdateControlsEnabled();
}

int TCheckGroupBox::CheckMarkSize() const { return ScaleForDpi(13, WindowDpi(Handle())); }

RECT TCheckGroupBox::CheckBoxRect() const {
    // Measured in the group box's own font, as the frame draws its caption.
    const std::wstring caption = Text();
    SIZE text{};
    if (HDC dc = GetDC(Handle())) {
        HGDIOBJ old = SelectObject(dc, Font() ? static_cast<HGDIOBJ>(Font()) : GetStockObject(DEFAULT_GUI_FONT));
        GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &text);
        if (caption.empty()) {
            TEXTMETRICW tm{};
            GetTextMetricsW(dc, &tm);
            text.cy = tm.tmHeight;
        }
        SelectObject(dc, old);
        ReleaseDC(Handle(), dc);
    }
    const int dpi = WindowDpi(Handle());
    const int left = ScaleForDpi(8, dpi);
    const int width = text.cx + CheckMarkSize() + ScaleForDpi(6, dpi);
    const int height = std::max<int>(text.cy, CheckMarkSize());
    return {left, 0, left + width, height};
}

int TCheckGroupBox::CaptionWidth() const { return CheckBoxRect().right; }

void TCheckGroupBox::AdjustCheckBox() {
    if (!checkBox_.Handle()) return;
    const std::wstring caption = Text();
    if (checkBox_.Text() != caption) checkBox_.SetText(caption);
    if (checkBox_.Font() != Font()) checkBox_.SetFont(Font());
    const RECT r = CheckBoxRect();
    const WindowBounds wanted{r.left, r.top, r.right - r.left, r.bottom - r.top};
    if (checkBox_.Bounds() != wanted) checkBox_.SetBounds(wanted);
}

void TCheckGroupBox::EraseBehindCheckBox(HDC dc) {
    // The frame line and the caption the group box drew must not show around or through the box.
    if (!checkBox_.Handle() || !checkBox_.Visible()) return;
    const WindowBounds b = checkBox_.Bounds();
    // The frame draws its caption a fixed few pixels in, which at a higher DPI is left of the box.
    EraseArea(dc, RECT{std::min<LONG>(b.Left, kFrameCaptionLeft), b.Top, b.Left + b.Width, b.Top + b.Height});
}

void TCheckGroupBox::UpdateControlsEnabled() {
    if (!autoDisableControls_) return;
    bool enabled = Enabled();
    if (checkBox_.Visible()) enabled = checkBox_.Checked() && enabled;
    for (HWND child = GetWindow(Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (child != checkBox_.Handle()) EnableWindow(child, enabled);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TCheckGroupBox::CheckBoxClick() {
    UpdateControlsEnabled();
    if (OnCheckBoxClick) OnCheckBoxClick();
}

LRESULT TCheckGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = wp ? reinterpret_cast<HDC>(wp) : BeginPaint(Handle(), &ps);
        DefaultProc(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
        AdjustCheckBox();
        EraseBehindCheckBox(dc);
        if (!wp) EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        // A themed check box asks for the group box's picture as its background: it gets the
        // background without the frame line.
        const LRESULT result = DefaultProc(msg, wp, lp);
        EraseBehindCheckBox(reinterpret_cast<HDC>(wp));
        return result;
    }
    case WM_SETTEXT:
    case WM_SETFONT: {
        const LRESULT result = DefaultProc(msg, wp, lp);
        AdjustCheckBox();
        return result;
    }
    }
    return TGroupBox::WndProc(msg, wp, lp);
}

}  // namespace quorlin
