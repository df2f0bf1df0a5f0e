// The settings window built in this process: every control's place, text and font, the tab order,
// the order of the start, and what needs no second process (interval list, counting, switches).
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "SettingsDesign.h"
#include "TestSupport.h"
#include "TrayProbe.h"
#include "base/OwnInput.h"
#include "blocker/BlockingRule.h"
#include "blocker/InputHooks_win.h"
#include "shell/Application_win.h"
#include "shortcuts/ShortcutText_win.h"
#include "ui/FormMain_win.h"

using namespace quorlin;

namespace {

constexpr const wchar_t* kKey = L"Software\\VENTARIS\\Quorlin";

void WriteDword(const wchar_t* name, DWORD value) {
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, name, REG_DWORD, &value, sizeof value);
}

std::optional<DWORD> StoredDword(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, kKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

// Whether this thread could take the hotkey, i.e. nobody holds it.
bool HotkeyFree(UINT modifiers, UINT key) {
    if (!RegisterHotKey(nullptr, 9, modifiers, key)) return false;
    UnregisterHotKey(nullptr, 9);
    return true;
}

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
    EXPECT_EQ(f.Ctl().cmbInterval.Bounds().Left, 176);
    EXPECT_EQ(f.Ctl().cmbInterval.Bounds().Top, 22);
    EXPECT_EQ(f.Ctl().cmbInterval.Bounds().Width, 96);
    EXPECT_FALSE(f.Ctl().imgDelicious.Visible());
    EXPECT_FALSE(f.Ctl().imgStumbleUpon.Visible());
    EXPECT_FALSE(f.pnWebBrowser.Visible());
    EXPECT_FALSE(f.Ctl().chbShtTouchpad.Enabled()) << "no touchpad device here";
    f.pmPopup.OnPopup();  // as when the tray menu opens
    const TMenuItem& touchpadItem = *f.pmPopup.Items()[1];
    EXPECT_FALSE(touchpadItem.Visible);
    EXPECT_FALSE(touchpadItem.Enabled);
    // The system menu starts with About and its shortcut, then a separator, then the system's own.
    HMENU system = GetSystemMenu(f.Handle(), FALSE);
    wchar_t entry[64] = {};
    GetMenuStringW(system, 0, entry, 64, MF_BYPOSITION);
    EXPECT_STREQ(entry, L"About\tAlt+F1");
    EXPECT_EQ(GetMenuState(system, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
    EXPECT_GT(GetMenuItemCount(system), 3);
}

TEST_F(FormMainTest, TabOrderFollowsTheDesign) {
    TfrmMain& f = *form_;
    const std::vector<HWND> expected = {
        f.Ctl().chbAutoRun.Handle(),   f.Ctl().chbBalloons.Handle(),    f.Ctl().grpBlocker.CheckBox().Handle(),
        f.Ctl().cmbInterval.Handle(),  f.Ctl().chbBlockEvents.Handle(), f.Ctl().chbBeepOnClick.Handle(),
        f.Ctl().chbShtBlocker.Handle(), f.Ctl().edShtBlocker.Handle(),  f.Ctl().chbInternet.Handle(),
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
    ASSERT_EQ(form_->Ctl().cmbInterval.Count(), 10);
    EXPECT_EQ(form_->Ctl().cmbInterval.ItemText(0), L"0.1 sec");
    EXPECT_EQ(form_->Ctl().cmbInterval.ItemText(9), L"3.0 sec");
    const struct { std::uint32_t stored, shown; const wchar_t* text; } cases[] = {
        {600, 750, L"3/4 sec"}, {0xFFFFFFFFu, 3000, L"3.0 sec"}, {50, 100, L"0.1 sec"}, {500, 500, L"1/2 sec"},
    };
    for (const auto& c : cases) {
        form_.reset();
        WriteDword(L"Delay", c.stored);
        form_ = std::make_unique<TfrmMain>();
        EXPECT_EQ(BlockerState.BlockInterval, c.shown) << c.stored;
        EXPECT_EQ(form_->Ctl().cmbInterval.ItemText(form_->Ctl().cmbInterval.ItemIndex()), c.text) << c.stored;
    }
}

TEST_F(FormMainTest, OnlySwallowedPressesAreCounted) {
    TfrmMain& f = *form_;
    f.Ctl().chbBeepOnClick.SetChecked(false);
    f.Show();
    for (UINT m : {0x201u, 0x203u, 0x204u, 0x200u, 0x20Au, 0x207u, 0x206u, 0x20Bu})
        SendMessageW(f.Handle(), WM_BLOCKED_EVENT, m, 0);
    // Posted to the window (as the hooks do), not to the thread (as any program can).
    PostThreadMessageW(GetCurrentThreadId(), WM_BLOCKED_EVENT, WM_LBUTTONDOWN, 0);
    PostMessageW(f.Handle(), WM_BLOCKED_EVENT, WM_RBUTTONDOWN, 0);
    TApplication::Instance().ProcessMessages();
    EXPECT_EQ(f.Model().Settings.BlockCount, 4);
    EXPECT_EQ(f.Ctl().lbBlockCount.Text(), L"Clicks blocked: 4");
    f.Hide();
    SendMessageW(f.Handle(), WM_BLOCKED_EVENT, WM_LBUTTONDOWN, 0);
    EXPECT_EQ(f.Ctl().lbBlockCount.Text(), L"Clicks blocked: 4") << "a hidden window's label waits";
    f.Show();
    EXPECT_EQ(f.Ctl().lbBlockCount.Text(), L"Clicks blocked: 5");
}

// Load, then apply: what is stored is in effect at once and never overwritten by a default, the
// hooks go live once the message loop runs, the hotkeys once start-up has settled, and the start
// balloon is the only one.
TEST_F(FormMainTest, StartLoadsThenAppliesInOneOrder) {
    form_.reset();
    WriteDword(L"Delay", 2000);
    WriteDword(L"BlockCount", 7);
    WriteDword(L"IgnoreHeldKeys", 1);
    WriteDword(L"BeepOnClick", 0);
    RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"BlockerShortcut", REG_SZ, L"Ctrl+F5", 16);
    form_ = std::make_unique<TfrmMain>();
    TfrmMain& f = *form_;
    EXPECT_EQ(BlockerState.BlockInterval, 2000u);
    EXPECT_TRUE(BlockerState.Smart.IgnoreHeldKeys);
    EXPECT_EQ(f.Model().Settings.BlockCount, 7);
    EXPECT_FALSE(f.Ctl().chbBeepOnClick.Checked());
    EXPECT_EQ(f.Ctl().edShtBlocker.Text(), L"Ctrl+F5");
    // The hooks live on a thread of their own: in place before the message loop first runs.
    EXPECT_NE(BlockerState.MouseHook, nullptr);
    EXPECT_NE(BlockerState.KeyboardHook, nullptr);
    EXPECT_TRUE(HotkeyFree(MOD_CONTROL, VK_F5)) << "taken before start-up settled";
    testsupport::PumpFor(1700);
    EXPECT_FALSE(HotkeyFree(MOD_CONTROL, VK_F5)) << "not taken once start-up settled";
    EXPECT_NE(BlockerState.MouseHook, nullptr);
    const std::wstring startBalloon = L"Blocking of accidental clicks is On use \"Ctrl+F5\" to switch";
    EXPECT_TRUE(testsupport::BalloonShown(startBalloon, 3000));
    EXPECT_EQ(testsupport::VisibleBalloonTexts(), std::vector<std::wstring>{startBalloon}) << "another balloon at start";
    EXPECT_EQ(StoredDword(L"BeepOnClick"), 0u);
    EXPECT_EQ(StoredDword(L"Delay"), 2000u);
}

// A save that failed is not taken for done: the next minutes tick writes again.
TEST_F(FormMainTest, FailedSaveIsTriedAgainAtTheNextTick) {
    TfrmMain& f = *form_;
    // Under a volatile key no lasting one can be made, so the settings key cannot be written.
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS");
    HKEY blocked = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\VENTARIS", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &blocked, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(blocked);
    f.Ctl().chbBeepOnClick.SetChecked(false);
    f.MinutesTick();
    EXPECT_EQ(StoredDword(L"BeepOnClick"), std::nullopt);
    RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\VENTARIS");
    RegDeleteKeyW(HKEY_CURRENT_USER, L"Software\\VENTARIS");
    f.MinutesTick();
    EXPECT_EQ(StoredDword(L"BeepOnClick"), 0u);
}

TEST_F(FormMainTest, SwitchCarriesItsIntentAndKeepsHooksInStep) {
    TfrmMain& f = *form_;
    ASSERT_TRUE(f.Model().Settings.BlockerEnabled);
    EXPECT_NE(BlockerState.MouseHook, nullptr);

    f.blocker.Toggle(Feedback::Quiet);  // the menu item
    EXPECT_FALSE(f.Model().Settings.BlockerEnabled);
    EXPECT_FALSE(f.Ctl().grpBlocker.GetCheckBoxChecked());
    EXPECT_FALSE(IsWindowEnabled(f.Ctl().cmbInterval.Handle()));
    EXPECT_EQ(BlockerState.MouseHook, nullptr);

    f.blocker.Toggle(Feedback::Shown);  // the hotkey
    EXPECT_TRUE(f.Model().Settings.BlockerEnabled);
    EXPECT_NE(BlockerState.MouseHook, nullptr);
    const TMenuItem& blockerItem = *f.pmPopup.Items()[0];
    EXPECT_TRUE(blockerItem.Checked);
    EXPECT_EQ(blockerItem.ShortCutText, L"Ctrl+F9");

    f.Ctl().grpBlocker.SetCheckBoxChecked(true);  // no change: nothing happens
    EXPECT_TRUE(f.Model().Settings.BlockerEnabled);
    f.Ctl().grpBlocker.SetCheckBoxChecked(false);  // the group box: takes its state
    EXPECT_FALSE(f.Model().Settings.BlockerEnabled);
    EXPECT_EQ(BlockerState.KeyboardHook, nullptr);

    f.Ctl().chbShtBlocker.SetChecked(false);
    EXPECT_EQ(blockerItem.ShortCutText, L"");
    EXPECT_EQ(f.tray.StatusText(StatusKind::Blocker), L"Blocking of accidental clicks is Off");
}

// A letter typed now, through the keyboard hook procedure: true when it started a blocking interval.
bool LetterStartsInterval() {
    BlockerState.LastKey.Store(std::nullopt);
    KBDLLHOOKSTRUCT key{};
    key.vkCode = 'A';
    KeyboardHookProc(HC_ACTION, WM_KEYDOWN, reinterpret_cast<LPARAM>(&key));
    KeyboardHookProc(HC_ACTION, WM_KEYUP, reinterpret_cast<LPARAM>(&key));
    return BlockerState.LastKey.Load().has_value();
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
