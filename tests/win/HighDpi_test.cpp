// The windows at 144 DPI (the system DPI of this test's Wine prefix, set before the wineserver
// started): every place and size of the design times 1.5, fonts and pictures made for 144 DPI,
// no caption clipped; and a window moved to a monitor of another DPI lays itself out again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SettingsDesign.h"
#include "TestSupport.h"
#include "shell/Application_win.h"
#include "shell/MessageForm_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "ui/FormAbout_win.h"
#include "ui/FormMain_win.h"

using namespace quorlin;

namespace {

// 1.5 times a design length, within 2 pixels.
void ExpectOneAndAHalfTimes(int actual, int design, const char* what) {
    EXPECT_LE(std::abs(actual * 2 - design * 3), 4) << what << ": " << actual << " for " << design;
}

void ExpectOneAndAHalfTimes(const WindowBounds& actual, const WindowBounds& design) {
    ExpectOneAndAHalfTimes(actual.Left, design.Left, "left");
    ExpectOneAndAHalfTimes(actual.Top, design.Top, "top");
    ExpectOneAndAHalfTimes(actual.Width, design.Width, "width");
    ExpectOneAndAHalfTimes(actual.Height, design.Height, "height");
}

SIZE ClientSize(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {r.right, r.bottom};
}

std::wstring WithoutAccelerators(std::wstring text) {
    std::erase(text, L'&');
    return text;
}

// The text as the control draws it: in the control's own font, on one line or wrapped at its width.
SIZE TextExtent(HWND control, const std::wstring& text, bool wrap = false) {
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT r{0, 0, 0, 0};
    if (wrap) {
        GetClientRect(control, &r);
        r.bottom = 0;
    }
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return {r.right - r.left, r.bottom - r.top};
}

bool IsCheckBox(HWND control) {
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    return lstrcmpiW(cls, L"Button") == 0 && (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX;
}

// The room a control leaves its caption: a check box's box and the gap after it take their share.
int CaptionRoom(HWND control) {
    RECT r{};
    GetClientRect(control, &r);
    if (!IsCheckBox(control)) return r.right;
    return r.right - GetSystemMetrics(SM_CXMENUCHECK) - GetSystemMetrics(SM_CXEDGE) * 2;
}

void ExpectCaptionFits(HWND control, const std::wstring& caption, bool wrap = false) {
    SCOPED_TRACE(caption);
    RECT r{};
    GetClientRect(control, &r);
    const SIZE text = TextExtent(control, WithoutAccelerators(caption), wrap);
    EXPECT_LE(text.cx, CaptionRoom(control)) << "clipped at the right";
    EXPECT_LE(text.cy, r.bottom) << "clipped at the bottom";
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bm, &bm);
    if (info.hbmColor) DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

int FontHeight(HWND control) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
}

class HighDpiTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        LoadKeyCaptionTable();
        TApplication::Instance().Initialize(GetModuleHandleW(nullptr));
        TApplication::Instance().SetTitle(L"Quorlin");
    }
    void SetUp() override {
        HDC screen = GetDC(nullptr);
        const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(dpi, 144) << "the prefix of this test runs at 144 DPI";
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS\\Quorlin");
    }
};

TEST_F(HighDpiTest, SettingsWindowIsTheDesignTimesOneAndAHalf) {
    TfrmMain f;
    testsupport::PumpFor(50);
    const SIZE client = ClientSize(f.Handle());
    ExpectOneAndAHalfTimes(client.cx, 308, "client width");
    ExpectOneAndAHalfTimes(client.cy, 409, "client height");
    for (const DesignedControl& e : SettingsWindowDesign(f)) {
        SCOPED_TRACE(e.text);
        ExpectOneAndAHalfTimes(e.control->Bounds(), e.bounds);
        if (!e.text.empty()) EXPECT_EQ(FontHeight(e.control->Handle()), -18) << "Arial of 12 design pixels";
    }
    // The link pictures come from their 24-pixel frames, not stretched from 16.
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(f.imgRSS.Handle(), STM_GETICON, 0, 0))), 24);
    // The tray pictures come at the small-icon size of 144 DPI.
    EXPECT_EQ(IconWidth(f.imgTrayOn.get()), 24);
    EXPECT_EQ(IconWidth(f.imgTrayOff.get()), 24);
}

TEST_F(HighDpiTest, NoCaptionOfTheSettingsWindowIsClipped) {
    TfrmMain f;
    f.SyncControls();
    testsupport::PumpFor(50);
    for (const DesignedControl& e : SettingsWindowDesign(f)) {
        if (e.text.empty() || e.control == &f.pnWebBrowser || e.control == &f.grpShortcuts ||
            e.control == &f.grpBlocker)
            continue;  // pictures, the hidden panel; the group boxes' captions are checked below
        ExpectCaptionFits(e.control->Handle(), e.text, e.control == &f.lbInfo);
    }
    // The blocker group's caption is a check box on the frame, wide enough for its text and inside the frame.
    TCheckBox& caption = f.grpBlocker.CheckBox();
    ExpectCaptionFits(caption.Handle(), caption.Text());
    EXPECT_LE(caption.Bounds().Left + caption.Bounds().Width, f.grpBlocker.Bounds().Width);
    ExpectCaptionFits(f.grpShortcuts.Handle(), f.grpShortcuts.Text());
}

TEST_F(HighDpiTest, AboutWindowIsTheDesignTimesOneAndAHalfWithItsLargeIcon) {
    TfrmAbout about(nullptr);
    const SIZE client = ClientSize(about.Handle());
    ExpectOneAndAHalfTimes(client.cx, 332, "client width");
    ExpectOneAndAHalfTimes(client.cy, 153, "client height");
    ExpectOneAndAHalfTimes(about.imgIcon.Bounds(), {12, 12, 128, 128});
    ExpectOneAndAHalfTimes(about.btnOK.Bounds(), {196, 116, 75, 25});
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(about.imgIcon.Handle(), STM_GETICON, 0, 0))), 192);
    EXPECT_EQ(FontHeight(about.lbTitle.Handle()), -32) << "bold Arial of 21 design pixels";
    const std::vector<const TWinControl*> captions = {&about.lbTitle, &about.lbVersion, &about.lbInfo,
                                                      &about.lbCopyright, &about.btnOK};
    for (const TWinControl* label : captions)
        ExpectCaptionFits(label->Handle(), label->Text());
}

TEST_F(HighDpiTest, TheCloseQuestionHoldsItsTextAndButtonCaptions) {
    const HICON icon = TApplication::Instance().Icon();
    TMessageForm dialog(L"Do you really want to close \"Quorlin\" program and disable all its features?",
                        TMessageKind::mkConfirmation, ButtonBit(TMessageButton::btnYes) | ButtonBit(TMessageButton::btnNo),
                        icon, L"Quorlin", 2);
    RECT client{};
    GetClientRect(dialog.Handle(), &client);
    int buttons = 0;
    for (HWND c = GetWindow(dialog.Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog.Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom)
            << "inside the dialog";
        wchar_t text[256] = {};
        GetWindowTextW(c, text, 256);
        if (!*text) continue;  // the icon
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        buttons += lstrcmpiW(cls, L"Button") == 0;
        // A button's caption needs its frame on both sides as well.
        const SIZE extent = TextExtent(c, WithoutAccelerators(text), lstrcmpiW(cls, L"Static") == 0);
        EXPECT_LE(extent.cx + (lstrcmpiW(cls, L"Button") == 0 ? 2 * GetSystemMetrics(SM_CXEDGE) : 0),
                  r.right - r.left) << text;
        EXPECT_LE(extent.cy, r.bottom - r.top) << text;
    }
    EXPECT_EQ(buttons, 2);
}

TEST_F(HighDpiTest, AWindowMovedToAnotherDpiLaysItselfOutAgain) {
    TfrmMain f;
    testsupport::PumpFor(50);
    RECT outer{};
    GetWindowRect(f.Handle(), &outer);
    // The system's notice for a monitor of 96 DPI, with the rectangle it suggests.
    RECT suggested{outer.left, outer.top, outer.left + 320, outer.top + 440};
    SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(f.Handle(), &now);
    EXPECT_EQ(now.right - now.left, 320) << "the suggested rectangle";
    EXPECT_EQ(now.bottom - now.top, 440);
    for (const DesignedControl& e : SettingsWindowDesign(f)) {
        SCOPED_TRACE(e.text);
        EXPECT_EQ(e.control->Bounds(), e.bounds) << "the 96-DPI design exactly";
        if (!e.text.empty()) EXPECT_EQ(FontHeight(e.control->Handle()), -12);
    }
    EXPECT_EQ(IconWidth(reinterpret_cast<HICON>(SendMessageW(f.imgRSS.Handle(), STM_GETICON, 0, 0))), 16);

    // And back to 144 DPI: where it stood at first.
    suggested = {outer.left, outer.top, outer.right, outer.bottom};
    SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    for (const DesignedControl& e : SettingsWindowDesign(f)) {
        SCOPED_TRACE(e.text);
        ExpectOneAndAHalfTimes(e.control->Bounds(), e.bounds);
    }
    EXPECT_EQ(f.Dpi(), 144);
}

}  // namespace
