// The windows in every language at the DPI of this run's prefix (96, 144, 192), in this process: every
// control's text fits it, measured as the control measures (a check box) or in its own font; no
// control overlaps another or leaves its container; English keeps the settings window's design size.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "TestSupport.h"
#include "base/Dpi.h"
#include "base/Language.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "shell/Dpi_win.h"
#include "shell/MessageForm_win.h"
#include "ui/FormMain_win.h"
#include "ui/features/AboutForm_win.h"

using namespace quorlin;

namespace {

void ExpectLaidOut(HWND parent) {
    RECT client{};
    GetClientRect(parent, &client);
    std::vector<RECT> placed;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        wchar_t text[1024] = {}, cls[16] = {};
        GetWindowTextW(c, text, 1024);
        GetClassNameW(c, cls, 16);
        SCOPED_TRACE(ToUtf8(text));
        RECT r{}, both{};
        GetWindowRect(c, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << "outside";
        for (const RECT& o : placed) EXPECT_FALSE(IntersectRect(&both, &r, &o)) << "overlaps";
        placed.push_back(r);
        const LONG style = GetWindowLongW(c, GWL_STYLE);
        SIZE need{};
        if (lstrcmpiW(cls, L"Button") == 0 && (style & BS_TYPEMASK) != BS_GROUPBOX) {
            need.cx = (style & BS_MULTILINE) ? r.right - r.left : 0;
            SendMessageW(c, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&need));
            if (!(style & BS_MULTILINE)) need.cy = 0;  // one line: the ideal height has margins of its own
        } else if (*text && lstrcmpiW(cls, L"Static") == 0) {
            HDC dc = GetDC(c);
            const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(c, WM_GETFONT, 0, 0)));
            RECT t{0, 0, r.right - r.left, 0};
            DrawTextW(dc, text, -1, &t, DT_CALCRECT | DT_WORDBREAK);
            SelectObject(dc, old);
            ReleaseDC(c, dc);
            need = {t.right, t.bottom};
        }
        EXPECT_LE(need.cx, r.right - r.left) << "cut at the right";
        EXPECT_LE(need.cy, r.bottom - r.top) << "cut at the bottom";
        ExpectLaidOut(c);
    }
}

class TextsFit : public ::testing::TestWithParam<TextLanguage> {
protected:
    static void SetUpTestSuite() { TApplication::Instance().Initialize(GetModuleHandleW(nullptr)); }
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS\\Quorlin");
        SetTextLanguage(GetParam().LangId);
    }
    void TearDown() override { SetTextLanguage(kEnglishLangId); }
};

}  // namespace

TEST_P(TextsFit, SettingsAboutAndCloseQuestionHoldTheirTexts) {
    {
        TfrmMain f;
        f.Show();
        testsupport::PumpFor(100);
        ExpectLaidOut(f.Handle());
        RECT client{};
        GetClientRect(f.Handle(), &client);
        const bool design = client.right == ScaleForDpi(308, SystemDpi()) && client.bottom == ScaleForDpi(409, SystemDpi());
        EXPECT_TRUE(design || GetParam().LangId != kEnglishLangId) << "English keeps the design's size";
    }
    TfrmAbout about(nullptr);
    ExpectLaidOut(about.Handle());
    TMessageForm question(LoadResString(IDS_CLOSE_QUESTION1) + L"\"Quorlin\"" + LoadResString(IDS_CLOSE_QUESTION2), L"Quorlin",
                          TApplication::Instance().Icon());
    ExpectLaidOut(question.Handle());
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, TextsFit, ::testing::ValuesIn(kTextLanguages),
                         [](const auto& info) { return std::to_string(info.param.LangId); });
