// The touchpad switch of the real Quorlin.exe against the fake driver of tests/doubles, installed
// in a folder of its own (with the DLL it needs beside it) and registered machine-wide, as a
// driver installer does. What the double was asked is read from its call log.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "KeyRecorder.h"
#include "QuorlinProcess.h"
#include "SynapticsDouble.h"
#include "TestSupport.h"
#include "TrayProbe.h"

using namespace testsupport;

namespace {

const std::wstring kTouchpadBox = L"Enable/Disable touchpad *";
const std::wstring kDisableLine = L"Disable touchpad: Ctrl+Alt+F9";
const std::wstring kEnableLine = L"Enable touchpad: Ctrl+Alt+F9";
const std::string kWriteOff = "device.set 0x10000171 1";
const std::string kWriteOn = "device.set 0x10000171 0";

bool Logged(const std::string& line) {
    const auto log = SynapticsDoubleLog();
    return std::find(log.begin(), log.end(), line) != log.end();
}

// Whether a process has a DLL of that name loaded; nothing when its modules cannot be listed.
std::optional<bool> HasModule(DWORD pid, const wchar_t* name) {
    const quorlin::UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid));
    if (!snapshot || snapshot.get() == INVALID_HANDLE_VALUE) return std::nullopt;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Module32FirstW(snapshot.get(), &entry); more; more = Module32NextW(snapshot.get(), &entry))
        if (lstrcmpiW(entry.szModule, name) == 0) return true;
    return false;
}

void PressCtrlAltF9() {
    WaitAfterKeys(650);
    for (WORD k : {VK_CONTROL, VK_MENU, VK_F9}) SendKey(k, false);
    for (WORD k : {VK_F9, VK_MENU, VK_CONTROL}) SendKey(k, true);
    TypeKeyNoted(VK_SHIFT);
}

class TouchpadEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        ASSERT_FALSE(InstallSynapticsDouble().empty());
    }
    void TearDown() override {
        if (VisibleMenu()) TypeKey(VK_ESCAPE);
        app_.Stop();
        UnregisterSynapticsDouble();
    }
    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }
    // Past the run-once timer, which registers the hotkeys and refreshes tip and menu.
    void StartAndSettle() {
        StartApp();
        ASSERT_TRUE(PumpUntil([&] { return !app_.HotkeyFree(MOD_CONTROL, VK_F9); }, 5000));
    }
    bool TipShows(const std::wstring& line, DWORD ms = 3000) const {
        return PumpUntil([&] { return app_.TrayTip().find(line) != std::wstring::npos; }, ms);
    }
    // Chooses the tray menu's touchpad item (the second).
    void ChooseTouchpadItem() {
        ASSERT_TRUE(app_.OpenTrayMenu());
        TypeKeyNoted(VK_DOWN);
        TypeKeyNoted(VK_DOWN);
        TypeKeyNoted(VK_RETURN);
    }
    QuorlinProcess app_;
};

TEST_F(TouchpadEndToEnd, HotkeyDisablesTheDeviceWithBalloonAndTheMenuItemSwitchesSilently) {
    WriteDword(L"TouchpadSwitch", 1);
    StartAndSettle();
    // The tip repeats the menu item's caption and shortcut.
    ASSERT_TRUE(TipShows(kDisableLine)) << app_.TrayTip().size();
    EXPECT_TRUE(IsWindowEnabled(FindCheckBox(app_.Window(), kTouchpadBox)));
    EXPECT_TRUE(IsWindowEnabled(FindChild(app_.Window(), L"Edit", L"Ctrl+Alt+F9")));

    ClearSynapticsDoubleLog();
    const KeyRecorder keys;
    PressCtrlAltF9();
    EXPECT_TRUE(PumpUntil([] { return Logged(kWriteOff); }, 3000));
    EXPECT_TRUE(BalloonShown(L"Touchpad device is Off use \"Ctrl+Alt+F9\" to switch"));
    for (const auto& e : keys.Events()) EXPECT_NE(e.vk, DWORD{VK_F24}) << "the driver switched it";
    EXPECT_EQ(GetSynapticsDouble(L"Property", 99), 1u);

    ChooseTouchpadItem();  // now "Enable touchpad"
    EXPECT_TRUE(PumpUntil([] { return Logged(kWriteOn); }, 3000));
    EXPECT_FALSE(BalloonShown(L"Touchpad device is On use \"Ctrl+Alt+F9\" to switch", 2500)) << "the menu is silent";
    EXPECT_TRUE(TipShows(kDisableLine));
}

TEST_F(TouchpadEndToEnd, WithoutTheDriverComIsNeverLoaded) {
    UnregisterSynapticsDouble();
    // Hidden in the tray: Wine's input-method support brings COM in itself once a window is shown.
    WriteDword(L"Visible", 0);
    StartAndSettle();
    EXPECT_FALSE(IsWindowEnabled(FindCheckBox(app_.Window(), kTouchpadBox)));
    ASSERT_EQ(HasModule(app_.Pid(), L"user32.dll"), true) << "its modules can be listed";
    EXPECT_EQ(HasModule(app_.Pid(), L"ole32.dll"), false);
    EXPECT_EQ(HasModule(app_.Pid(), L"oleaut32.dll"), false);
    // With the driver, as in the other cases here, COM is there.
    app_.Stop();
    ASSERT_FALSE(InstallSynapticsDouble().empty());
    StartApp();
    EXPECT_EQ(HasModule(app_.Pid(), L"ole32.dll"), true);
}

TEST_F(TouchpadEndToEnd, ItsShortcutWaitsForTheCheckBoxAndTheDriversOwnStateCounts) {
    StartAndSettle();
    EXPECT_TRUE(app_.HotkeyFree(MOD_CONTROL | MOD_ALT, VK_F9)) << "taken before the check box is checked";
    SafeClickWindow(FindCheckBox(app_.Window(), kTouchpadBox));
    EXPECT_TRUE(PumpUntil([&] { return !app_.HotkeyFree(MOD_CONTROL | MOD_ALT, VK_F9); }, 2000));
    EXPECT_TRUE(TipShows(kDisableLine));

    // Switched off behind the program's back: the menu offers to enable it, and enabling writes 0.
    SetSynapticsDouble(L"Property", 1);
    ClearSynapticsDoubleLog();
    ChooseTouchpadItem();
    EXPECT_TRUE(PumpUntil([] { return Logged(kWriteOn); }, 3000)) << "it wrote what it remembered";
    EXPECT_FALSE(Logged(kWriteOff));

    // At the end the device object goes before the API object.
    app_.Stop();
    const auto log = SynapticsDoubleLog();
    const auto device = std::find(log.begin(), log.end(), "device.release");
    const auto api = std::find(log.begin(), log.end(), "api.release");
    EXPECT_TRUE(device != log.end() && api != log.end() && device < api);
}

TEST_F(TouchpadEndToEnd, EachDriverFailureLeavesTheSwitchUnavailableOrTheStateUnchanged) {
    struct Case {
        const wchar_t* value;
        DWORD data;
        bool available;        // the touchpad controls and the tip line exist
        const wchar_t* line;   // the tip's touchpad line when available
    };
    const Case cases[] = {
        {L"InitResult", 0x80004005, false, nullptr},
        {L"FindResult", 1 /*S_FALSE*/, false, nullptr},
        {L"BindResult", 0x80004005, false, nullptr},
        {L"ReadResult", 0x80004005, true, L"Enable touchpad: Ctrl+Alt+F9"},  // unreadable counts as off
        {L"Property", 2, true, L"Enable touchpad: Ctrl+Alt+F9"},             // only 0 is enabled
        {L"WriteResult", 0x80070005, true, L"Disable touchpad: Ctrl+Alt+F9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.value, c.value + lstrlenW(c.value)));
        ASSERT_FALSE(InstallSynapticsDouble().empty());
        DeleteSettingsKey();
        WriteDword(L"TouchpadSwitch", 1);
        SetSynapticsDouble(c.value, c.data);
        StartAndSettle();
        EXPECT_EQ(IsWindowEnabled(FindCheckBox(app_.Window(), kTouchpadBox)) != FALSE, c.available);
        if (c.available)
            EXPECT_TRUE(TipShows(c.line));
        else
            EXPECT_EQ(app_.TrayTip().find(L"touchpad"), std::wstring::npos);
        if (std::wstring(c.value) == L"BindResult") EXPECT_FALSE(Logged("device.get 0x10000171")) << "used unbound";
        if (std::wstring(c.value) == L"WriteResult") {
            PressCtrlAltF9();
            EXPECT_TRUE(PumpUntil([] { return Logged(kWriteOff); }, 3000));
            EXPECT_TRUE(BalloonShown(L"Touchpad device is On use \"Ctrl+Alt+F9\" to switch")) << "refused: still on";
            EXPECT_EQ(GetSynapticsDouble(L"Property", 0), 0u) << "a refused write changes nothing";
        }
        EXPECT_TRUE(app_.Running());
        app_.Stop();
    }
}

}  // namespace
