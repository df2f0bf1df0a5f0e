// The settings window's design at 96 DPI: every control's place and text. One table for the
// test of the design itself and for the test that checks it scaled at other DPIs.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "ui/FormMain_win.h"

namespace quorlin {

// The link shows the website's host, as the build names it, in capitals.
inline std::wstring WebsiteCaption() {
    std::wstring caption = L"" QUORLIN_WEBSITE_HOST;
    CharUpperW(caption.data());
    return caption;
}

struct DesignedControl {
    const TWinControl* control;
    WindowBounds bounds;
    std::wstring text;
};

inline std::vector<DesignedControl> SettingsWindowDesign(TfrmMain& f) {
    return {
        {&f.Ctl().lbInfo, {10, 10, 292, 50},
         L"The program blocks accidental clicks while typing on a notebook keyboard. It can also enable and disable "
         L"touchpad using a keyboard shortcut."},
        {&f.Ctl().chbAutoRun, {16, 64, 230, 17}, L"Automatically &run program on startup"},
        {&f.Ctl().chbBalloons, {16, 88, 250, 17}, L"Show system tray &notification (balloons)"},
        {&f.Ctl().grpBlocker, {8, 114, 292, 120}, L"Block accidental taps and clicks"},
        {&f.Ctl().lbInterval, {12, 26, 152, 15}, L"&Time interval to block clicks"},
        {&f.Ctl().chbBlockEvents, {12, 52, 212, 17}, L"Also block move and wheel &events"},
        {&f.Ctl().chbBeepOnClick, {12, 76, 200, 17}, L"&Beep when click is blocked"},
        {&f.Ctl().lbBlockCount, {12, 96, 260, 15}, L"Clicks blocked: 0"},
        {&f.Ctl().grpShortcuts, {8, 240, 292, 104}, L"Keyboard shortcuts"},
        {&f.Ctl().chbShtBlocker, {12, 28, 164, 17}, L"Turn blocker On and Off "},
        {&f.Ctl().edShtBlocker, {176, 24, 96, 23}, L"Ctrl+F9"},
        {&f.Ctl().chbShtTouchpad, {12, 56, 164, 17}, L"Enable/Disable touchpad *"},
        {&f.Ctl().edShtTouchpad, {176, 52, 96, 23}, L"Ctrl+Alt+F9"},
        {&f.Ctl().lbShtTouchpad, {12, 80, 260, 15}, L"* Synaptics and Windows precision touchpads"},
        {&f.Ctl().chbInternet, {16, 356, 272, 17}, L"&Online features (Updates, Kelvane\u2122, etc.)"},
        {&f.Ctl().imgFaceBook, {12, 384, 16, 16}, L""},
        {&f.Ctl().imgRSS, {72, 384, 16, 16}, L""},
        {&f.Ctl().lbLink, {142, 384, 158, 15}, WebsiteCaption()},
        {&f.pnWebBrowser, {252, 175, 32, 24}, L"Ping"},
    };
}

}  // namespace quorlin
