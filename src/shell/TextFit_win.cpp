#include "shell/TextFit_win.h"

#include <string>
#include <vector>

#include "base/Dpi.h"
#include "shell/Dpi_win.h"

namespace quorlin {

namespace {

std::wstring TextOf(HWND window) {
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// The text's extent in the control's own font, one line when width is 0, else wrapped at width.
SIZE Measure(HWND window, int width) {
    const std::wstring text = TextOf(window);
    RECT r{0, 0, width, 0};
    if (HDC dc = GetDC(window)) {
        const HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
        const HGDIOBJ old = SelectObject(dc, font ? font : GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
                  DT_CALCRECT | (width > 0 ? DT_WORDBREAK : DT_SINGLELINE));
        SelectObject(dc, old);
        ReleaseDC(window, dc);
    }
    return {r.right - r.left, r.bottom - r.top};
}

// The check mark and the space between it and the text, as a check box asks beside its text.
int CheckMarkWidth(HWND window) {
    const int dpi = WindowDpi(window);
    return SystemMetricForDpi(SM_CXMENUCHECK, dpi) + ScaleForDpi(5, dpi);
}

// Room beyond the measured text: under Wine drawn text was seen to run up to about 3 % past its
// measure, which a control sized to the pixel cuts.
int WithSpare(HWND window, int need) { return need + need / 32 + ScaleForDpi(4, WindowDpi(window)); }

WindowBounds BoundsInContainer(HWND window) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

}  // namespace

SIZE FitControls(std::span<const FitControl> controls, SIZE client, int maxGrowth, bool spare) {
    std::vector<FitItem> items;
    items.reserve(controls.size());
    for (const FitControl& c : controls) {
        FitItem item{BoundsInContainer(c.Window), c.Container, c.Anchor};
        switch (c.Text) {
        case FitText::None: break;
        case FitText::Label:
            item.Need = Measure(c.Window, 0).cx, item.Wrap = FitWrap::WhenShort;
            break;
        case FitText::Paragraph: item.Wrap = FitWrap::Always; break;
        case FitText::CheckBox:
            item.Need = Measure(c.Window, 0).cx + CheckMarkWidth(c.Window);
            item.Wrap = FitWrap::WhenShort;
            break;
        case FitText::Caption: item.Need = c.CaptionNeed; break;
        }
        if (spare && item.Need > 0) item.Need = WithSpare(c.Window, item.Need);
        items.push_back(item);
    }
    const FitResult fit = FitTexts(items, client.cx, client.cy, maxGrowth, [&](std::size_t i, int width) {
        const FitControl& c = controls[i];
        const int chrome = c.Text == FitText::CheckBox ? CheckMarkWidth(c.Window) : 0;
        return Measure(c.Window, std::max(width - chrome, 1)).cy;
    });
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const WindowBounds& b = fit.Bounds[i];
        if (b == items[i].Bounds) continue;
        HWND window = controls[i].Window;
        if (controls[i].Text == FitText::CheckBox && b.Height > items[i].Bounds.Height)
            SetWindowLongW(window, GWL_STYLE, GetWindowLongW(window, GWL_STYLE) | BS_MULTILINE);
        // A drop-down list's window is taller than it shows: its size is left alone when it keeps it.
        const UINT keep = b.Width == items[i].Bounds.Width && b.Height == items[i].Bounds.Height ? SWP_NOSIZE : 0;
        SetWindowPos(window, nullptr, b.Left, b.Top, b.Width, b.Height, SWP_NOZORDER | SWP_NOACTIVATE | keep);
    }
    return {fit.ClientWidth, fit.ClientHeight};
}

}  // namespace quorlin
