// The settings window built in this process: every control's place, text and font, the tab order,
// and the state rules that need no second process (interval list, counting, switch senders).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SettingsDesign.h"
#include "TestSupport.h"
#include "base/OwnInput.h"
#include "blocker/BlockingRule.h"
#include "blocker/InputHooks_win.h"
#include "shell/Application_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "ui/FormMain_win.h"

using namespace quorlin;

namespace {

class FormMainTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        LoadKeyCaptionTable();
        TApplication::Instance().Initialize(GetModuleHandleW(nullptr));
        TApplication::Instance().SetTitle(L"Quorlin");
    }
    void SetUp() override {
        RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS\\Quorlin");
        form_ = std::make_unique<TfrmMain>();
        testsupport::PumpFor(50);
    }
    void TearDown() override { form_.reset(); }
    std::unique_ptr<TfrmMain> form_;
};

TEST_F(FormMainTest, ControlsStandWhereTheDesignPutsThem) {
    TfrmMain& f = *form_;
    RECT client{};
    GetClientRect(f.Handle(), &client);
    EXPECT_EQ(client.right, 308);
    EXPECT_EQ(client.bottom, 409);
    EXPECT_EQ(f.Caption(), L"Quorlin");

    const std::vector<DesignedControl> table = SettingsWindowDesign(f);
    LOGFONTW lf{};
    for (const auto& e : table) {
        SCOPED_TRACE(e.text);
        EXPECT_EQ(e.control->Bounds(), e.bounds);
        EXPECT_EQ(e.control->Text(), e.text);
        if (e.text.empty()) continue;  // pictures have no font
        ASSERT_EQ(GetObjectW(e.control->Font(), sizeof lf, &lf), static_cast<int>(sizeof lf));
        EXPECT_STREQ(lf.lfFaceName, L"Arial");
        EXPECT_EQ(lf.lfHeight, -12);
    }
    EXPECT_EQ(f.cmbInterval.Bounds().Left, 176);
    EXPECT_EQ(f.cmbInterval.Bounds().Top, 22);
    EXPECT_EQ(f.cmbInterval.Bounds().Width, 96);
    EXPECT_FALSE(f.imgDelicious.Visible());
    EXPECT_FALSE(f.imgStumbleUpon.Visible());
    EXPECT_FALSE(f.pnWebBrowser.Visible());
    EXPECT_FALSE(f.chbShtTouchpad.Enabled()) << "no touchpad device here";
    f.UpdatePopupMenu();  // as when the tray menu opens
    EXPECT_FALSE(f.miPopupTouchpad.Visible);
    EXPECT_FALSE(f.miPopupTouchpad.Enabled);
}

TEST_F(FormMainTest, TabOrderFollowsTheDesign) {
    TfrmMain& f = *form_;
    const std::vector<HWND> expected = {
        f.chbAutoRun.Handle(),   f.chbBalloons.Handle(),    f.grpBlocker.CheckBox().Handle(),
        f.cmbInterval.Handle(),  f.chbBlockEvents.Handle(), f.chbBeepOnClick.Handle(),
        f.chbShtBlocker.Handle(), f.edShtBlocker.Handle(),  f.chbInternet.Handle(),
    };
    // The touchpad row is greyed without a device, so Tab passes over it.
    HWND at = expected.front();
    for (std::size_t i = 1; i < expected.size(); ++i) {
        at = GetNextDlgTabItem(f.Handle(), at, FALSE);
        EXPECT_EQ(at, expected[i]) << "tab stop " << i;
    }
    EXPECT_EQ(GetNextDlgTabItem(f.Handle(), at, FALSE), expected.front()) << "Tab wraps around";
}

TEST_F(FormMainTest, IntervalListRaisesAndCapsTheStoredInterval) {
    TfrmMain& f = *form_;
    ASSERT_EQ(f.cmbInterval.Count(), 10);
    EXPECT_EQ(f.cmbInterval.ItemText(0), L"0.1 sec");
    EXPECT_EQ(f.cmbInterval.ItemText(9), L"3.0 sec");
    const struct { std::uint32_t stored, shown; const wchar_t* text; } cases[] = {
        {600, 750, L"3/4 sec"}, {5000, 3000, L"3.0 sec"}, {0xFFFFFFFFu, 3000, L"3.0 sec"},
        {0, 100, L"0.1 sec"},   {50, 100, L"0.1 sec"},    {500, 500, L"1/2 sec"},
    };
    for (const auto& c : cases) {
        BlockerState.BlockInterval = c.stored;
        f.SyncControls();
        EXPECT_EQ(BlockerState.BlockInterval, c.shown) << c.stored;
        EXPECT_EQ(f.cmbInterval.ItemText(f.cmbInterval.ItemIndex()), c.text) << c.stored;
    }
}

TEST_F(FormMainTest, OnlySwallowedPressesAreCounted) {
    TfrmMain& f = *form_;
    f.chbBeepOnClick.SetChecked(false);
    f.Show();
    for (UINT m : {0x201u, 0x203u, 0x204u, 0x200u, 0x20Au, 0x207u, 0x206u, 0x20Bu}) {
        MSG msg{f.Handle(), WM_BLOCKED_EVENT, m, 0, 0, {}};
        f.OnBlockedEvent(msg);
    }
    // Posted to the window (as the hooks do), not to the thread (as any program can).
    PostThreadMessageW(GetCurrentThreadId(), WM_BLOCKED_EVENT, WM_LBUTTONDOWN, 0);
    PostMessageW(f.Handle(), WM_BLOCKED_EVENT, WM_RBUTTONDOWN, 0);
    TApplication::Instance().ProcessMessages();
    EXPECT_EQ(f.BlockCount, 4);
    EXPECT_EQ(f.lbBlockCount.Text(), L"Clicks blocked: 4");
    f.Hide();
    f.SetBlockCount(9);
    EXPECT_EQ(f.lbBlockCount.Text(), L"Clicks blocked: 4") << "a hidden window's label waits";
    f.Show();
    EXPECT_EQ(f.lbBlockCount.Text(), L"Clicks blocked: 9");
}

TEST_F(FormMainTest, HooksGoLiveOnlyOnceTheMessageLoopRuns) {
    form_.reset();
    form_ = std::make_unique<TfrmMain>();
    // Hooks installed before the loop runs would hold up every input event of the desktop.
    EXPECT_EQ(BlockerState.MouseHook, nullptr);
    EXPECT_EQ(BlockerState.KeyboardHook, nullptr);
    testsupport::PumpFor(50);
    EXPECT_NE(BlockerState.MouseHook, nullptr);
    EXPECT_NE(BlockerState.KeyboardHook, nullptr);
}

TEST_F(FormMainTest, SwitchFollowsItsSenderAndKeepsHooksInStep) {
    TfrmMain& f = *form_;
    ASSERT_TRUE(f.BlockerEnabled);
    EXPECT_NE(BlockerState.MouseHook, nullptr);

    f.actBlockerSwitch(f.miPopupBlocker);  // menu item: toggles
    EXPECT_FALSE(f.BlockerEnabled);
    EXPECT_FALSE(f.grpBlocker.GetCheckBoxChecked());
    EXPECT_FALSE(IsWindowEnabled(f.cmbInterval.Handle()));
    EXPECT_EQ(BlockerState.MouseHook, nullptr);

    f.actBlockerSwitch(f);  // the window itself (the hotkey): toggles
    EXPECT_TRUE(f.BlockerEnabled);
    EXPECT_NE(BlockerState.MouseHook, nullptr);
    f.UpdatePopupMenu();
    EXPECT_TRUE(f.miPopupBlocker.Checked);
    EXPECT_EQ(f.miPopupBlocker.ShortCutText, L"Ctrl+F9");

    f.grpBlocker.SetCheckBoxChecked(true);  // no change: nothing happens
    EXPECT_TRUE(f.BlockerEnabled);
    f.grpBlocker.SetCheckBoxChecked(false);  // the group box: takes its state
    EXPECT_FALSE(f.BlockerEnabled);
    EXPECT_EQ(BlockerState.KeyboardHook, nullptr);

    f.chbShtBlocker.SetChecked(false);
    f.UpdatePopupMenu();
    EXPECT_EQ(f.miPopupBlocker.ShortCutText, L"");
    EXPECT_EQ(f.StatusText(TfrmMain::StatusKind::Blocker), L"Blocking of accidental clicks is Off");
}

// A letter typed now, through the keyboard hook procedure: true when it started a blocking interval.
bool LetterStartsInterval() {
    BlockerState.LastKeyTick = 0;
    KBDLLHOOKSTRUCT key{};
    key.vkCode = 'A';
    KeyboardHookProc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&key));
    KeyboardHookProc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&key));
    return BlockerState.LastKeyTick != 0;
}

TEST_F(FormMainTest, KeyHeldAcrossALockIsForgottenWhenTheSessionComesBack) {
    BlockerState.Smart.Store({true, false});  // keys pressed as shortcuts do not block
    // Ctrl+Alt+Del: the hook saw Ctrl go down; its release went to the secure desktop.
    testsupport::SendKey(VK_LCONTROL, false, kOwnInputMark);  // the system's state, not the hook's
    KBDLLHOOKSTRUCT ctrl{};
    ctrl.vkCode = VK_LCONTROL;
    KeyboardHookProc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&ctrl));
    EXPECT_FALSE(LetterStartsInterval()) << "with Ctrl held a letter is a shortcut";
    SendMessageW(form_->Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
    EXPECT_FALSE(LetterStartsInterval()) << "locking settles nothing";
    testsupport::SendKey(VK_LCONTROL, true, kOwnInputMark);
    SendMessageW(form_->Handle(), WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK, 0);
    EXPECT_TRUE(LetterStartsInterval()) << "Ctrl is still taken as held";
}

}  // namespace
