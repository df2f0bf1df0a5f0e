// The tray icon in this process against Wine's real shell: what is sent (recorded at the one
// place that calls the shell), what the shell answers, and the component's own windows.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "TrayProbe.h"
#include "shell/Application_win.h"
#include "shell/TrayIcon_win.h"

using namespace quorlin;
using namespace testsupport;

namespace {

struct ShellCall {
    DWORD command;
    std::uint32_t flags;
    std::vector<std::uint8_t> record;
    bool answer;
    std::uint32_t At(std::size_t offset) const {
        std::uint32_t v = 0;
        std::memcpy(&v, record.data() + offset, 4);
        return v;
    }
    std::wstring Text(std::size_t offset) const { return reinterpret_cast<const wchar_t*>(record.data() + offset); }
};

// Records every shell call with the exact record sent and the shell's answer.
class RecordingTray : public TTrayIcon {
public:
    using TTrayIcon::TTrayIcon;
    std::vector<ShellCall> calls;
    using TTrayIcon::WndProc;

protected:
    bool NotifyShell(DWORD command) override {
        const bool answer = TTrayIcon::NotifyShell(command);
        const NotifyIconData* r = IconData();
        ShellCall call{command, 0, {}, answer};
        if (r) {
            call.record.assign(r->Data(), r->Data() + r->Size());
            call.flags = call.At(12);
        }
        calls.push_back(std::move(call));
        return answer;
    }
};

UniqueIcon SmallIcon() { return UniqueIcon(CopyIcon(LoadIconW(nullptr, IDI_APPLICATION))); }

class TrayIconWin : public ::testing::Test {
protected:
    static void SetUpTestSuite() { TApplication::Instance().Initialize(GetModuleHandleW(nullptr)); }
    void SetUp() override { TApplication::Instance().SetShowMainForm(true); }
    UniqueIcon icon_ = SmallIcon();
};

TEST_F(TrayIconWin, ShellVersionIsReadAndTheHiddenWindowReceivesBroadcasts) {
    const DWORD version = ShellVersion();
    EXPECT_GE(version, 0x50000u) << std::hex << version;
    EXPECT_EQ(ShellVersion(), version);

    TComponentOwner owner;
    RecordingTray tray(owner);
    const HWND w = tray.WindowHandle();
    ASSERT_TRUE(IsWindow(w));
    EXPECT_EQ(GetParent(w), nullptr);
    EXPECT_EQ(GetWindow(w, GW_OWNER), nullptr);
    EXPECT_FALSE(IsWindowVisible(w));
    EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_POPUP);
    EXPECT_TRUE(GetWindowLongW(w, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    // A top-level window, not a message-only one: broadcasts reach it.
    EXPECT_EQ(GetAncestor(w, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(SendMessageW(w, WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_TRUE(tray.calls.empty()) << "nothing is sent before anything changes";
}

TEST_F(TrayIconWin, WhatGoesToTheShellForTipImageVisibilityAndBalloons) {
    TComponentOwner owner;
    RecordingTray tray(owner);
    owner.LoadComponents();

    // Tip and image before the icon exists: modify, refused by the shell.
    tray.SetHint(L"Quorlin");
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].command, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(tray.calls[0].flags, 0x5u);
    EXPECT_FALSE(tray.calls[0].answer);
    tray.SetHint(L"Quorlin");
    EXPECT_EQ(tray.calls.size(), 1u) << "the same tip sends nothing";
    tray.SetIcon(icon_.get());
    tray.SetIcon(icon_.get());
    EXPECT_EQ(tray.calls.size(), 3u) << "every image is sent";
    EXPECT_NE(tray.Icon(), icon_.get()) << "the component keeps its own copy";
    EXPECT_FALSE(tray.UpdateIcon());

    tray.calls.clear();
    tray.SetVisible(true);
    ASSERT_EQ(tray.calls.size(), 1u);
    const ShellCall& add = tray.calls[0];
    EXPECT_EQ(add.command, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(add.answer);
    EXPECT_EQ(add.record.size(), 952u);
    EXPECT_EQ(add.At(0), 952u);
    EXPECT_EQ(add.At(4), static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(tray.WindowHandle())));
    EXPECT_EQ(add.At(8), 0u);
    EXPECT_EQ(add.flags, 0x7u);
    EXPECT_EQ(add.At(16), 0x4D3u);
    EXPECT_EQ(add.At(20), static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(tray.Icon())));
    EXPECT_EQ(add.Text(24), L"Quorlin");
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Quorlin") == 1; }, 3000));

    tray.calls.clear();
    EXPECT_TRUE(tray.UpdateIcon());
    tray.InfoNoSound = true;
    tray.SetInfoTimeout(3000);
    EXPECT_TRUE(tray.ShowBalloonTip(TTrayIconInfoType::tiiWarning, L"Title", L"Text"));
    ASSERT_EQ(tray.calls.size(), 2u);
    EXPECT_EQ(tray.calls[0].flags, 0x7u);
    const ShellCall& balloon = tray.calls[1];
    EXPECT_EQ(balloon.command, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(balloon.flags, 0x10u) << "NIF_INFO alone";
    EXPECT_EQ(balloon.Text(288), L"Text");
    EXPECT_EQ(balloon.At(800), 3000u);
    EXPECT_EQ(balloon.Text(804), L"Title");
    EXPECT_EQ(balloon.At(932), 0x12u) << "warning plus no sound";
    // Setting the balloon's properties sends nothing.
    tray.SetInfoText(L"x");
    tray.SetInfoTitle(L"y");
    tray.SetInfoType(TTrayIconInfoType::tiiError);
    EXPECT_EQ(tray.calls.size(), 2u);

    tray.calls.clear();
    tray.SetVisible(false);
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].command, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(tray.calls[0].flags, 0x5u);
    EXPECT_TRUE(tray.calls[0].answer);
    EXPECT_FALSE(tray.Visible());
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Quorlin") == 0; }, 3000));
    EXPECT_FALSE(tray.ShowBalloonTip(TTrayIconInfoType::tiiInfo, L"", L"gone")) << "no icon, no balloon";
}

TEST_F(TrayIconWin, VisibleIsWhatIsWantedEvenWhenTheShellRefuses) {
    TComponentOwner owner;
    RecordingTray tray(owner);
    owner.LoadComponents();
    tray.SetHint(L"Refused first");
    int shown = 0;
    tray.OnShow = [&](TObject&) { ++shown; };

    // Someone else holds the icon's identity, so the shell refuses the add.
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = tray.WindowHandle();
    nid.uFlags = NIF_TIP;
    wcscpy(nid.szTip, L"Squatter");
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &nid));
    tray.calls.clear();
    tray.SetVisible(true);
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_FALSE(tray.calls[0].answer);
    EXPECT_TRUE(tray.Visible());
    EXPECT_EQ(shown, 0);

    // A new taskbar: the old entry is removed and ours added.
    tray.calls.clear();
    SendMessageW(tray.WindowHandle(), WM_TASKBAR_CREATED, 0, 0);
    ASSERT_EQ(tray.calls.size(), 2u);
    EXPECT_EQ(tray.calls[0].command, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(tray.calls[1].command, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(tray.calls[1].answer);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Refused first") == 1; }, 3000));
    EXPECT_EQ(CountToolsWithText(L"Squatter"), 0);

    // Not wanted: the broadcast changes nothing.
    tray.SetVisible(false);
    tray.calls.clear();
    SendMessageW(tray.WindowHandle(), WM_TASKBAR_CREATED, 0, 0);
    EXPECT_TRUE(tray.calls.empty());
}

TEST_F(TrayIconWin, RefusedAddIsRetriedAndAnUpdateAddsAnIconTheShellLost) {
    TComponentOwner owner;
    RecordingTray tray(owner);
    owner.LoadComponents();
    tray.SetHint(L"Retried");
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = tray.WindowHandle();
    nid.uFlags = NIF_TIP;
    wcscpy(nid.szTip, L"Squatter");
    ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &nid));
    tray.SetVisible(true);
    ASSERT_FALSE(tray.calls.back().answer) << "the shell should have refused";

    // Once the shell would take it, the icon comes without anyone asking again.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Retried") == 1; }, 8000));

    // Deleted behind the program's back: the next update puts it back.
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
    ASSERT_TRUE(PumpUntil([] { return CountToolsWithText(L"Retried") == 0; }, 3000));
    tray.calls.clear();
    EXPECT_FALSE(tray.UpdateIcon());
    ASSERT_EQ(tray.calls.size(), 2u);
    EXPECT_EQ(tray.calls[1].command, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(tray.calls[1].answer);
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Retried") == 1; }, 3000));
}

TEST_F(TrayIconWin, DesignValuesTakeEffectAtLoad) {
    TComponentOwner owner;
    RecordingTray tray(owner);
    tray.MinimizeOnStart = true;
    tray.SetHint(L"Loaded");
    tray.calls.clear();
    tray.SetVisible(true);
    EXPECT_TRUE(tray.calls.empty()) << "while the design is read only the value is kept";
    EXPECT_TRUE(TApplication::Instance().ShowMainForm());
    owner.LoadComponents();
    EXPECT_FALSE(TApplication::Instance().ShowMainForm());
    ASSERT_EQ(tray.calls.size(), 1u);
    EXPECT_EQ(tray.calls[0].command, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Loaded") == 1; }, 3000));
}

TEST_F(TrayIconWin, DestructionRemovesTheIconAndGivesBackTheApplicationWindow) {
    const HWND app = TApplication::Instance().Handle();
    ASSERT_TRUE(app);
    const LONG_PTR original = GetWindowLongPtrW(app, GWLP_WNDPROC);
    {
        TComponentOwner owner;
        RecordingTray tray(owner);
        owner.LoadComponents();
        EXPECT_NE(GetWindowLongPtrW(app, GWLP_WNDPROC), original);
        {
            // A second tray icon leaves the application window to the first.
            RecordingTray second(owner, L"Second");
            EXPECT_NE(GetWindowLongPtrW(app, GWLP_WNDPROC), original);
        }
        EXPECT_NE(GetWindowLongPtrW(app, GWLP_WNDPROC), original);
        // Messages still reach the application window's own procedure.
        wchar_t title[64] = {};
        EXPECT_GT(SendMessageW(app, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(title)), 0);
        EXPECT_EQ(std::wstring(title), TApplication::Instance().Title());

        tray.SetHint(L"Going away");
        tray.SetVisible(true);
        ASSERT_TRUE(PumpUntil([] { return CountToolsWithText(L"Going away") == 1; }, 3000));
    }
    EXPECT_EQ(GetWindowLongPtrW(app, GWLP_WNDPROC), original);
    EXPECT_TRUE(PumpUntil([] { return CountToolsWithText(L"Going away") == 0; }, 3000));
}

TEST_F(TrayIconWin, NotificationsBecomeClicksAndMenuReferencesAreCleared) {
    TComponentOwner owner;
    auto menu = std::make_unique<TPopupMenu>(owner);
    RecordingTray tray(owner);
    owner.LoadComponents();
    tray.SetPopupMenu(menu.get());
    int clicks = 0, defaults = 0, doubles = 0;
    tray.OnClick = [&](TObject& sender) {
        EXPECT_EQ(&sender, &tray);
        ++clicks;
    };
    tray.OnDblClick = [&](TObject&) { ++doubles; };
    TMenuItem& setup = menu->Add(L"Settings");
    setup.OnClick = [&](TObject& sender) {
        EXPECT_EQ(&sender, &setup);
        ++defaults;
    };
    const HWND w = tray.WindowHandle();
    auto notify = [&](UINT code) { SendMessageW(w, WM_TRAY_CALLBACK, 0, code); };

    notify(WM_LBUTTONUP);
    EXPECT_EQ(clicks, 0) << "a release without a press is no click";
    notify(WM_LBUTTONDOWN);
    notify(WM_LBUTTONUP);
    EXPECT_EQ(clicks, 1);
    notify(WM_MBUTTONDOWN);
    notify(WM_MBUTTONUP);
    notify(0x402);  // balloon shown
    EXPECT_EQ(clicks, 1);

    // No default item: a double click does nothing.
    notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(defaults + doubles, 0);
    setup.Default = true;
    setup.Enabled = false;
    notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(defaults, 0) << "a disabled item does not run";
    EXPECT_EQ(doubles, 1);
    setup.Enabled = true;
    menu->AutoPopup = false;
    notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(doubles, 1) << "AutoPopup off: no double-click action";
    menu->AutoPopup = true;
    notify(WM_LBUTTONDBLCLK);
    EXPECT_EQ(defaults, 1);
    EXPECT_EQ(doubles, 2);

    menu.reset();
    EXPECT_EQ(tray.PopupMenu(), nullptr);
    notify(WM_LBUTTONDBLCLK);
    notify(WM_RBUTTONUP);  // no menu to open
    EXPECT_EQ(defaults, 1);
}

}  // namespace
