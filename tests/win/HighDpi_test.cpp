// The windows at 144 DPI (the system DPI of this test's Wine prefix, set before the wineserver
// started): the design times 1.5, fonts and pictures made for 144 DPI, no caption clipped; and a
// window moved to a monitor of another DPI lays itself out again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "SettingsDesign.h"
#include "TestSupport.h"
#include "shell/MessageForm_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "ui/features/AboutForm_win.h"

using namespace quorlin;

namespace {

void ExpectOneAndAHalfTimes(const WindowBounds& actual, const WindowBounds& design) {
    const int a[] = {actual.Left, actual.Top, actual.Width, actual.Height};
    const int d[] = {design.Left, design.Top, design.Width, design.Height};
    for (int i = 0; i < 4; ++i) EXPECT_LE(std::abs(a[i] * 2 - d[i] * 3), 4) << "part " << i << ": " << a[i];
}

WindowBounds Client(HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    return {0, 0, r.right, r.bottom};
}

int FontHeight(HWND control) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof lf, &lf);
    return lf.lfHeight;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!icon || !GetIconInfo(icon, &info)) return 0;
    BITMAP bm{};
    GetObjectW(info.hbmColor, sizeof bm, &bm);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bm.bmWidth;
}

int PictureWidth(const TWinControl& image) {
    return IconWidth(reinterpret_cast<HICON>(SendMessageW(image.Handle(), STM_GETICON, 0, 0)));
}

// The caption measured in the control's own font, on one line or wrapped at the control's width,
// against the room the control gives it: a check box's box and a button's frame take their share.
void ExpectCaptionFits(HWND control, std::wstring caption, bool wrap = false) {
    SCOPED_TRACE(caption);
    std::erase(caption, L'&');
    RECT room{};
    GetClientRect(control, &room);
    HDC dc = GetDC(control);
    const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT text{0, 0, wrap ? room.right : 0, 0};
    DrawTextW(dc, caption.c_str(), -1, &text, DT_CALCRECT | DT_NOPREFIX | (wrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiW(cls, L"Button") == 0)
        room.right -= type == BS_AUTOCHECKBOX ? GetSystemMetrics(SM_CXMENUCHECK) + 2 * GetSystemMetrics(SM_CXEDGE)
                                              : 2 * GetSystemMetrics(SM_CXEDGE);
    EXPECT_LE(text.right, room.right) << "clipped at the right";
    EXPECT_LE(text.bottom, room.bottom) << "clipped at the bottom";
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
        ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 144) << "the prefix of this test runs at 144 DPI";
        ReleaseDC(nullptr, screen);
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS\\Quorlin");
    }
};

TEST_F(HighDpiTest, SettingsWindowIsTheDesignTimesOneAndAHalfWithNoCaptionClipped) {
    TfrmMain f;
    f.Refresh();
    testsupport::PumpFor(50);
    ExpectOneAndAHalfTimes(Client(f.Handle()), {0, 0, 308, 409});
    for (const DesignedControl& e : SettingsWindowDesign(f)) {
        SCOPED_TRACE(e.text);
        ExpectOneAndAHalfTimes(e.control->Bounds(), e.bounds);
        if (e.text.empty()) continue;
        EXPECT_EQ(FontHeight(e.control->Handle()), -18) << "Arial of 12 design pixels";
        // The group boxes' captions are their check boxes, below; the hidden panel shows nothing.
        if (e.control != &f.Ctl().grpBlocker && e.control != &f.pnWebBrowser)
            ExpectCaptionFits(e.control->Handle(), e.text, e.control == &f.Ctl().lbInfo);
    }
    TCheckBox& caption = f.Ctl().grpBlocker.CheckBox();
    ExpectCaptionFits(caption.Handle(), caption.Text());
    EXPECT_LE(caption.Bounds().Left + caption.Bounds().Width, f.Ctl().grpBlocker.Bounds().Width);
    // Pictures from their frames for 144 DPI, not stretched: the links' and the tray's.
    EXPECT_EQ(PictureWidth(f.Ctl().imgRSS), 24);
    EXPECT_EQ(IconWidth(f.TrayIcon.Icon()), 24);
    f.blocker.Toggle(Feedback::Quiet);
    EXPECT_EQ(IconWidth(f.TrayIcon.Icon()), 24);
}

TEST_F(HighDpiTest, AboutWindowIsTheDesignTimesOneAndAHalfWithItsLargeIcon) {
    TfrmAbout about(nullptr);
    ExpectOneAndAHalfTimes(Client(about.Handle()), {0, 0, 332, 153});
    ExpectOneAndAHalfTimes(about.imgIcon.Bounds(), {12, 12, 128, 128});
    ExpectOneAndAHalfTimes(about.btnOK.Bounds(), {196, 116, 75, 25});
    EXPECT_EQ(PictureWidth(about.imgIcon), 192);
    EXPECT_EQ(FontHeight(about.lbTitle.Handle()), -32) << "bold Arial of 21 design pixels";
    for (const TWinControl* c : std::vector<const TWinControl*>{&about.lbTitle, &about.lbVersion, &about.lbInfo,
                                                                 &about.lbCopyright, &about.btnOK})
        ExpectCaptionFits(c->Handle(), c->Text());
}

TEST_F(HighDpiTest, TheCloseQuestionHoldsItsTextAndButtonCaptions) {
    TMessageForm dialog(L"Do you really want to close \"Quorlin\" program and disable all its features?", L"Quorlin",
                        TApplication::Instance().Icon());
    const WindowBounds client = Client(dialog.Handle());
    int captions = 0;
    for (HWND c = GetWindow(dialog.Handle(), GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, dialog.Handle(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.Width && r.bottom <= client.Height);
        wchar_t text[256] = {};
        if (!GetWindowTextW(c, text, 256)) continue;  // the icon
        ++captions;
        wchar_t cls[16] = {};
        GetClassNameW(c, cls, 16);
        ExpectCaptionFits(c, text, lstrcmpiW(cls, L"Static") == 0);  // the question wraps
    }
    EXPECT_EQ(captions, 3) << "the question, Yes and No";
}

TEST_F(HighDpiTest, AWindowMovedToAMonitorOfAnotherDpiLaysItselfOutAgain) {
    TfrmMain f;
    testsupport::PumpFor(50);
    RECT outer{};
    GetWindowRect(f.Handle(), &outer);
    // The system's notice for a monitor of 96 DPI, with the rectangle it suggests.
    RECT suggested{outer.left, outer.top, outer.left + 320, outer.top + 440};
    SendMessageW(f.Handle(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&suggested));
    RECT now{};
    GetWindowRect(f.Handle(), &now);
    EXPECT_TRUE(EqualRect(&now, &suggested));
    for (const DesignedControl& e : SettingsWindowDesign(f)) {
        SCOPED_TRACE(e.text);
        EXPECT_EQ(e.control->Bounds(), e.bounds) << "the 96-DPI design exactly";
        if (!e.text.empty()) EXPECT_EQ(FontHeight(e.control->Handle()), -12);
    }
    EXPECT_EQ(PictureWidth(f.Ctl().imgRSS), 16);
}

}  // namespace
