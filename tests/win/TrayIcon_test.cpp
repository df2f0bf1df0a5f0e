// The tray icon in this process against Wine's real shell: what the shell shows after each call,
// what it answers, and the icon's own window and events.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "TrayProbe.h"
#include "shell/Application_win.h"
#include "shell/TrayIcon_win.h"

using namespace quorlin;
using namespace testsupport;

namespace {

UniqueIcon SmallIcon() { return UniqueIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))); }

// Another program's entry under the tray icon's identity, so that the shell refuses its add.
struct Squatter {
    NOTIFYICONDATAW nid{};
    explicit Squatter(HWND window) {
        nid.cbSize = sizeof nid;
        nid.hWnd = window;
        nid.uFlags = NIF_TIP;
        wcscpy(nid.szTip, L"Squatter");
    }
    bool Add() { return Shell_NotifyIconW(NIM_ADD, &nid) != FALSE; }
    bool Remove() { return Shell_NotifyIconW(NIM_DELETE, &nid) != FALSE; }
};

const UINT kTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");

class TrayIconWin : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TApplication::Instance().Initialize(GetModuleHandleW(nullptr)); }
    UniqueIcon icon_ = SmallIcon();
};

TEST_F(TrayIconWin, TheHiddenWindowIsTopLevelSoThatBroadcastsReachIt) {
    TTrayIcon tray(nullptr);
    const HWND w = tray.WindowHandle();
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow()) << "not a message-only window";
    EXPECT_EQ(SendMessageW(w, WM_QUERYENDSESSION, 0, 0), 1);
}

TEST_F(TrayIconWin, TipImageVisibilityAndBalloonsReachTheShell) {
    {
        TTrayIcon tray(nullptr);
        // Tip and image before the icon exists: refused by the shell, without harm.
        tray.SetHint(L"Quorlin");
        tray.SetIcon(icon_.get());
        EXPECT_FALSE(tray.UpdateIcon());
        EXPECT_FALSE(tray.ShowBalloon(L"Title", L"Nobody sees this", 3000)) << "no icon, no balloon";
        EXPECT_EQ(CountToolsWithText(L"Quorlin"), 0);

        tray.SetVisible(true);
        EXPECT_TRUE(tray.Visible());
        EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Quorlin") == 1; }, 3000));
        tray.SetHint(L"Quorlin 2");
        EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Quorlin 2") == 1; }, 3000));
        EXPECT_TRUE(tray.UpdateIcon());
        EXPECT_TRUE(tray.ShowBalloon(L"Title", L"Text", 3000));
        ASSERT_TRUE(PumpUntil([] { return !VisibleBalloonTexts().empty(); }, 6000));
        EXPECT_EQ(VisibleBalloonTexts(), std::vector<std::wstring>{L"Text"});
        EXPECT_EQ(CountToolsWithText(L"Quorlin 2"), 1) << "the balloon leaves the tip alone";

        tray.SetVisible(false);
        EXPECT_FALSE(tray.Visible());
        EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Quorlin 2") == 0; }, 3000));
        tray.SetVisible(true);
        EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Quorlin 2") == 1; }, 3000));
    }
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Quorlin 2") == 0; }, 3000)) << "destruction removes it";
}

TEST_F(TrayIconWin, VisibleIsWhatIsWantedAndANewTaskbarGetsTheIconAgain) {
    TTrayIcon tray(nullptr);
    tray.SetHint(L"Refused first");
    Squatter squatter(tray.WindowHandle());
    ASSERT_TRUE(squatter.Add());
    tray.SetVisible(true);
    EXPECT_TRUE(tray.Visible()) << "wanted, though the shell refused";

    // A new taskbar: the old entry is removed and ours added.
    SendMessageW(tray.WindowHandle(), kTaskbarCreated, 0, 0);
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Refused first") == 1; }, 3000));
    EXPECT_EQ(CountToolsWithText(L"Squatter"), 0);

    // Not wanted: the broadcast adds nothing.
    tray.SetVisible(false);
    ASSERT_TRUE(PumpUntil([] { return CountToolsWithText(L"Refused first") == 0; }, 3000));
    SendMessageW(tray.WindowHandle(), kTaskbarCreated, 0, 0);
    PumpFor(300);
    EXPECT_EQ(CountToolsWithText(L"Refused first"), 0);
}

TEST_F(TrayIconWin, RefusedAddIsRetriedAndAnUpdateAddsAnIconTheShellLost) {
    TTrayIcon tray(nullptr);
    tray.SetHint(L"Retried");
    Squatter squatter(tray.WindowHandle());
    ASSERT_TRUE(squatter.Add());
    tray.SetVisible(true);

    // Once the shell would take it, the icon comes without anyone asking again.
    ASSERT_TRUE(squatter.Remove());
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Retried") == 1; }, 8000));

    // Deleted behind the program's back: the next update puts it back.
    ASSERT_TRUE(squatter.Remove());
    ASSERT_TRUE(PumpUntil([] { return CountToolsWithText(L"Retried") == 0; }, 3000));
    EXPECT_FALSE(tray.UpdateIcon());
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Retried") == 1; }, 3000));
}

TEST_F(TrayIconWin, NotificationsBecomeTheWiredEvents) {
    const UniqueWindow owner(CreateWindowExW(0, L"Static", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr));
    TTrayIcon tray(owner.get());
    std::vector<std::string> events;
    tray.OnPressed = [&] { events.push_back("pressed"); };
    tray.OnClick = [&] { events.push_back("click"); };
    tray.OnDoubleClick = [&] { events.push_back("double"); };
    tray.OnMenu = [&](POINT) {
        MSG m;
        events.push_back(PeekMessageW(&m, owner.get(), WM_NULL, WM_NULL, PM_NOREMOVE) ? "menu after null" : "menu");
    };
    const HWND w = tray.WindowHandle();
    auto notify = [&](UINT code) { SendMessageW(w, WM_TRAY_CALLBACK, 0, code); };

    notify(WM_LBUTTONUP);
    EXPECT_TRUE(events.empty()) << "a release without a press is no click";
    // A double click: down, up, double, up; the second release raises no click.
    for (UINT code : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}) notify(code);
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "click", "double"}));
    events.clear();
    for (UINT code : {UINT{WM_MBUTTONDOWN}, UINT{WM_MBUTTONUP}, 0x402u, UINT{WM_MOUSEMOVE}}) notify(code);
    EXPECT_EQ(events, std::vector<std::string>{"pressed"}) << "a middle click and a balloon raise nothing else";
    events.clear();
    notify(WM_RBUTTONDOWN);
    notify(WM_RBUTTONUP);
    EXPECT_EQ(events, (std::vector<std::string>{"pressed", "menu"}));
    MSG m;
    EXPECT_TRUE(PeekMessageW(&m, owner.get(), WM_NULL, WM_NULL, PM_REMOVE)) << "WM_NULL posted after the menu";
}

}  // namespace
