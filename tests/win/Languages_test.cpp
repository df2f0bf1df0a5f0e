// The windows in every language at the DPI of this run's prefix (96, 144, 192): every control's text
// fits the control, measured in the control's own font in this process; no control overlaps another
// or leaves its container; in English the settings window keeps the size of its design.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "base/Dpi.h"
#include "base/Language.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "shell/Dpi_win.h"
#include "shell/MessageForm_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "ui/FormMain_win.h"
#include "ui/features/AboutForm_win.h"

using namespace quorlin;

namespace {

RECT BoundsInParent(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring Text(HWND w) {
    wchar_t text[1024] = {};
    GetWindowTextW(w, text, 1024);
    return text;
}

// The text in the room the control gives it, wrapped where the control wraps: a check box says
// itself what it needs (its mark included); a label's and an edit box's text is measured in the
// control's own font.
void ExpectTextFits(HWND control) {
    const std::wstring text = Text(control);
    if (text.empty()) return;
    SCOPED_TRACE(testing::Message() << "\"" << ToUtf8(text) << "\"");
    wchar_t cls[16] = {};
    GetClassNameW(control, cls, 16);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    RECT room{};
    GetClientRect(control, &room);
    SIZE need{};
    if (lstrcmpiW(cls, L"Button") == 0) {
        if ((style & BS_TYPEMASK) == BS_GROUPBOX) return;  // its caption is its check box, checked apart
        const bool wraps = style & BS_MULTILINE;
        need.cx = wraps ? room.right : 0;
        ASSERT_TRUE(SendMessageW(control, BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&need)));
        if (!wraps) need.cy = 0;  // one line: the ideal height has margins the design never gave
    } else {
        const bool edit = lstrcmpiW(cls, L"Edit") == 0;
        if (edit) room.right -= 2 * GetSystemMetrics(SM_CXEDGE);
        HDC dc = GetDC(control);
        const HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
        RECT r{0, 0, edit ? 0 : room.right, 0};
        DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | (edit ? DT_NOPREFIX | DT_SINGLELINE : DT_WORDBREAK));
        SelectObject(dc, old);
        ReleaseDC(control, dc);
        need = {r.right, r.bottom};
    }
    EXPECT_LE(need.cx, room.right) << "cut at the right";
    EXPECT_LE(need.cy, room.bottom) << "cut at the bottom";
}

// Every visible control under parent: its text fits, it stays inside parent, no sibling overlaps it.
void ExpectLaidOut(HWND parent) {
    RECT client{};
    GetClientRect(parent, &client);
    std::vector<std::pair<HWND, RECT>> placed;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if (!IsWindowVisible(c)) continue;
        const RECT r = BoundsInParent(c);
        SCOPED_TRACE(testing::Message() << "\"" << ToUtf8(Text(c)) << "\"");
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom) << "outside";
        for (const auto& [other, o] : placed) {
            RECT both{};
            EXPECT_FALSE(IntersectRect(&both, &r, &o)) << "overlaps \"" << ToUtf8(Text(other)) << "\"";
        }
        placed.push_back({c, r});
        ExpectTextFits(c);
        ExpectLaidOut(c);
    }
}

class TextsFit : public ::testing::TestWithParam<TextLanguage> {
protected:
    static void SetUpTestSuite() {
        TApplication::Instance().Initialize(GetModuleHandleW(nullptr));
        TApplication::Instance().SetTitle(L"Quorlin");
    }
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS\\Quorlin");
        SetTextLanguage(GetParam().LangId);
    }
    void TearDown() override { SetTextLanguage(kEnglishLangId); }
};

}  // namespace

TEST_P(TextsFit, SettingsAboutAndCloseQuestionHoldTheirTexts) {
    const int dpi = SystemDpi();
    {
        TfrmMain f;
        f.Refresh();
        f.Show();  // as a user sees it: shown and painted
        testsupport::PumpFor(100);
        ExpectLaidOut(f.Handle());
        RECT client{};
        GetClientRect(f.Handle(), &client);
        if (GetParam().LangId == kEnglishLangId) {
            EXPECT_EQ(client.right, ScaleForDpi(308, dpi));
            EXPECT_EQ(client.bottom, ScaleForDpi(409, dpi));
        }
        EXPECT_EQ(Text(f.chbAutoRun.Handle()), LoadResString(IDS_AUTORUN)) << "the texts of the language";
    }
    {
        TfrmAbout about(nullptr);
        ExpectLaidOut(about.Handle());
    }
    {
        TMessageForm question(LoadResString(IDS_CLOSE_QUESTION1) + L"\"Quorlin\"" + LoadResString(IDS_CLOSE_QUESTION2),
                              TMessageKind::mkConfirmation, ButtonBit(TMessageButton::btnYes) | ButtonBit(TMessageButton::btnNo),
                              TApplication::Instance().Icon(), L"Quorlin", 2);
        ExpectLaidOut(question.Handle());
    }
}

INSTANTIATE_TEST_SUITE_P(EveryLanguage, TextsFit, ::testing::ValuesIn(kTextLanguages), [](const auto& info) {
    std::string name;
    for (wchar_t c : info.param.Tag)
        if (c != L'-') name += static_cast<char>(c);
    return name;
});
