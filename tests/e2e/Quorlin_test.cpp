// The real Quorlin.exe under Wine, driven from this process the way a user drives it: real
// clicks and keys through SendInput, its windows, tray icon and menu seen from outside, its
// settings in the real registry. Each test starts from an empty settings key.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"
#include "version.h"

using namespace testsupport;

namespace {

const std::wstring kBlockerGroup = L"Block accidental taps and clicks";
const std::wstring kBlockEvents = L"Also block move and wheel &events";
const std::wstring kBeep = L"&Beep when click is blocked";
const std::wstring kAutoRun = L"Automatically &run program on startup";
const std::wstring kCloseQuestion =
    L"Do you really want to close \"Quorlin\" program and disable all its features?";
constexpr wchar_t kQuestionClass[] = L"TMessageForm";

std::wstring Widen(const char* s) { return std::wstring(s, s + lstrlenA(s)); }
std::string Narrow(const std::wstring& w) {
    std::string s;
    for (wchar_t c : w) s += c < 128 ? static_cast<char>(c) : '?';
    return s;
}

std::wstring QuorlinPath() { return ExeDir() + L"\\Quorlin.exe"; }

// The clipboard as CF_TEXT bytes; empty when it holds none.
std::string ClipboardText() {
    std::string text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE data = GetClipboardData(CF_TEXT)) {
        if (const char* bytes = static_cast<const char*>(GlobalLock(data))) text = bytes;
        GlobalUnlock(data);
    }
    CloseClipboard();
    return text;
}

class QuorlinEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKey, L"Quorlin.exe");
    }
    void TearDown() override {
        if (VisibleMenu()) {
            TypeKey(VK_ESCAPE);
            PumpFor(200);
        }
        app_.Stop();
    }

    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }
    void StopApp() {
        app_.Stop();
        ASSERT_FALSE(app_.Running());
    }

    HWND IntervalList() const { return FindChildStartingWith(app_.Window(), L"ComboBox", L""); }
    HWND CheckBox(const std::wstring& text) const { return FindCheckBox(app_.Window(), text); }
    HWND BlockerCheckBox() const { return CheckBox(kBlockerGroup); }
    HWND CounterLabel() const { return FindChildStartingWith(app_.Window(), L"Static", L"Clicks blocked:"); }
    std::wstring Counter() const { return TextOf(CounterLabel()); }
    bool CounterReads(int n, DWORD ms = 2000) const {
        return PumpUntil([&] { return Counter() == L"Clicks blocked: " + std::to_wstring(n); }, ms);
    }

    RecordingWindow& Target() {
        if (!target_) target_ = std::make_unique<RecordingWindow>(20, 20, 240, 160);
        return *target_;
    }
    // Types a letter (or the given keys) while the target window is in front, then presses the
    // left button over it delayMs later; true when the press reached the window.
    bool PressArrivesAfterKey(DWORD delayMs, const std::function<void()>& keys = [] { TypeKeyNoted('A'); },
                              bool moveToPress = true) {
        RecordingWindow& w = Target();
        const POINT c = w.Center();
        SetForegroundWindow(w.hwnd());
        WaitAfterKeys(650);  // earlier keys' intervals over
        PlacePointer(c.x, c.y);
        PumpFor(650);
        w.Clear();
        keys();
        PumpFor(delayMs);
        if (moveToPress) Click(c.x, c.y);
        else for (DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) MouseButton(button);
        clickDone_ = GetTickCount();  // the hooks have decided the press by now
        // Releases are never blocked: once it is there, so is the press, if it passed.
        EXPECT_TRUE(PumpUntil([&] { return w.Received(WM_LBUTTONUP); }, 3000)) << "the click went elsewhere";
        PumpFor(50);
        return w.Received(WM_LBUTTONDOWN);
    }
    // Types a letter, then moves the pointer over the target 50 ms later; true when the move arrived.
    bool MoveArrivesAfterKey() {
        RecordingWindow& w = Target();
        const POINT c = w.Center();
        SetForegroundWindow(w.hwnd());
        WaitAfterKeys(650);  // earlier keys' intervals over
        PlacePointer(c.x, c.y);
        PumpFor(650);
        w.Clear();
        TypeKeyNoted('A');
        PumpFor(50);
        MoveTo(c.x + 30, c.y + 20);
        PumpFor(300);
        return w.Received(WM_MOUSEMOVE);
    }

    // The icon as drawn, with the pointer (which the display draws into the picture) and any
    // tip out of the way.
    std::vector<COLORREF> IconPixels() const {
        WaitAfterKeys(650);
        MoveTo(900, 600);
        PumpFor(100);
        return ScreenPixels(app_.TrayIconRect());
    }
    // The check mark column of the open tray menu's first item, before any item is highlighted:
    // the menu's items cannot be read from another process, so the mark is looked for in pixels.
    static bool MenuFirstItemChecked() {
        PumpFor(300);  // painted
        RECT r{};
        GetWindowRect(VisibleMenu(), &r);
        const RECT mark{r.left + 2, r.top + 2, r.left + 14, r.top + 20};
        int dark = 0;
        for (COLORREF c : ScreenPixels(mark))
            if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 250) ++dark;
        return dark >= 5;
    }
    // Chooses Close in the tray menu and waits for the question to be in front; null otherwise.
    HWND AskToClose() {
        if (!app_.OpenTrayMenu()) return nullptr;
        TypeKeyNoted(VK_UP);
        TypeKeyNoted(VK_RETURN);
        HWND question = nullptr;
        PumpUntil(
            [&] {
                const auto found = TopLevelWindows(app_.Pid(), kQuestionClass);
                question = found.empty() ? nullptr : found.front();
                return question && GetForegroundWindow() == question;
            },
            3000);
        return question;
    }
    bool QuestionGone() const {
        return PumpUntil([&] { return TopLevelWindows(app_.Pid(), kQuestionClass).empty(); }, 3000);
    }
    static void Chord(std::initializer_list<WORD> modifiers, WORD key) {
        for (WORD m : modifiers) SendKey(m, false);
        TypeKeyNoted(key);
        for (WORD m : modifiers) SendKey(m, true);
    }
    static RECT WorkAreaOf(HWND window) {
        MONITORINFO info{};
        info.cbSize = sizeof info;
        GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
        return info.rcWork;
    }

    // A letter pressed and held for ms, repeated the way a keyboard repeats it; not released.
    static void HoldKey(WORD vk, DWORD ms) {
        for (const DWORD start = GetTickCount(); GetTickCount() - start < ms; PumpFor(30)) SendKey(vk, false);
    }
    static void ReleaseKey(WORD vk) {
        SendKey(vk, true);
        PumpFor(650);
    }

    void PressEscIn(HWND hwnd) {
        SetForegroundWindow(hwnd);
        PumpUntil([&] { return GetForegroundWindow() == hwnd; }, 1000);
        TypeKeyNoted(VK_ESCAPE);
    }

    // Every value of the settings table, under its current name and with its type.
    void ExpectEveryValueWithItsType() const {
        const std::pair<const wchar_t*, DWORD> table[] = {
            {L"Bounds", REG_SZ},          {L"Visible", REG_DWORD},       {L"AutoRun", REG_DWORD},
            {L"Balloons", REG_DWORD},     {L"Internet", REG_DWORD},      {L"BlockerEnabled", REG_DWORD},
            {L"BlockEvents", REG_DWORD},  {L"BeepOnClick", REG_DWORD},   {L"BlockCount", REG_DWORD},
            {L"Delay", REG_DWORD},        {L"BlockerSwitch", REG_DWORD}, {L"BlockerShortcut", REG_SZ},
            {L"TouchpadSwitch", REG_DWORD}, {L"TouchpadShortcut", REG_SZ},
        };
        for (const auto& [name, type] : table) {
            const auto stored = ValueType(name);
            ASSERT_TRUE(stored.has_value()) << Narrow(name) << " was not written";
            EXPECT_EQ(*stored, type) << Narrow(name);
        }
        // Booleans are 0 or 1.
        for (const wchar_t* name : {L"Visible", L"AutoRun", L"Balloons", L"Internet", L"BlockerEnabled",
                                    L"BlockEvents", L"BeepOnClick", L"BlockerSwitch", L"TouchpadSwitch"})
            EXPECT_LE(ReadDword(name).value_or(99), 1u) << Narrow(name);
    }

    QuorlinProcess app_;
    std::unique_ptr<RecordingWindow> target_;
    DWORD clickDone_ = 0;
};

// ---- First start ----

TEST_F(QuorlinEndToEnd, FirstStartShowsSettingsWithBlockerOnAndCountsSwallowedClicks) {
    StartApp();
    HWND w = app_.Window();
    EXPECT_TRUE(IsWindowVisible(w)) << "an empty registry shows the settings window";
    EXPECT_EQ(TextOf(w), L"Quorlin");
    RECT client{};
    GetClientRect(w, &client);
    EXPECT_EQ(client.right, 308);
    EXPECT_EQ(client.bottom, 409);

    const std::wstring tip = app_.TrayTip();
    EXPECT_EQ(tip.rfind(L"Quorlin (" + Widen(QUORLIN_VERSION_TEXT) + L")", 0), 0u) << Narrow(tip);
    EXPECT_NE(tip.find(L"Block accidental clicks: Ctrl+F9"), std::wstring::npos) << Narrow(tip);

    ASSERT_TRUE(BlockerCheckBox());
    EXPECT_TRUE(IsChecked(BlockerCheckBox()));
    ASSERT_TRUE(CounterLabel());
    EXPECT_EQ(Counter(), L"Clicks blocked: 0");
    EXPECT_FALSE(SettingsKeyExists()) << "nothing is saved before the window closes";

    // A click 100 ms after a letter never arrives and is counted; the visible label follows.
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "the press should have been swallowed";
    EXPECT_TRUE(CounterReads(1)) << Narrow(Counter());
    // A click 600 ms after the last key arrives and is not counted.
    EXPECT_TRUE(PressArrivesAfterKey(600));
    PumpFor(200);
    EXPECT_EQ(Counter(), L"Clicks blocked: 1");

    // Moves are swallowed while typing until "Also block move and wheel events" is cleared.
    EXPECT_FALSE(MoveArrivesAfterKey());
    HWND blockEvents = CheckBox(kBlockEvents);
    ASSERT_TRUE(blockEvents);
    SafeClickWindow(blockEvents);
    ASSERT_TRUE(PumpUntil([&] { return !IsChecked(blockEvents); }, 2000));
    EXPECT_TRUE(MoveArrivesAfterKey()) << "moves pass once only clicks are blocked";
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "clicks are still blocked";
    EXPECT_TRUE(CounterReads(2)) << Narrow(Counter());

    // The start announced the blocker's state in a balloon.
    EXPECT_TRUE(BalloonShown(L"Blocking of accidental clicks is On use \"Ctrl+F9\" to switch"));
}

// ---- Blocker switch ----

TEST_F(QuorlinEndToEnd, GroupCheckBoxSwitchesBlockerOffAndTrayMenuItemSwitchesItBack) {
    // No balloons: none may cover the menu or the icon, and none may appear.
    WriteDword(L"Balloons", 0);
    StartApp();
    HWND box = BlockerCheckBox();
    HWND combo = IntervalList();
    HWND blockEvents = CheckBox(kBlockEvents);
    HWND beep = CheckBox(kBeep);
    ASSERT_TRUE(box && combo && blockEvents && beep);
    PumpFor(1600);  // past the start-up phase, in which a switch shows no balloon
    const std::vector<COLORREF> onPixels = IconPixels();
    ASSERT_FALSE(onPixels.empty());
    ASSERT_TRUE(app_.OpenTrayMenu());
    EXPECT_TRUE(MenuFirstItemChecked()) << "Block accidental clicks is checked while the blocker is on";
    TypeKeyNoted(VK_ESCAPE);
    ASSERT_TRUE(PumpUntil([] { return !VisibleMenu(); }, 2000));

    // Clearing the group's check box: blocker off, the group's controls greyed, the off image.
    SafeClickWindow(box);
    ASSERT_TRUE(PumpUntil([&] { return !IsChecked(box); }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindowEnabled(combo) && !IsWindowEnabled(blockEvents) && !IsWindowEnabled(beep); }, 2000))
        << IsWindowEnabled(combo) << IsWindowEnabled(blockEvents) << IsWindowEnabled(beep);
    std::vector<COLORREF> offPixels;
    EXPECT_TRUE(PumpUntil([&] { return (offPixels = IconPixels()) != onPixels; }, 3000)) << "the tray icon shows the off image";
    EXPECT_TRUE(PressArrivesAfterKey(100)) << "no hooks: the click arrives";
    EXPECT_FALSE(PumpUntil([] { return !VisibleBalloonTexts().empty(); }, 2500)) << "balloons are off";

    // The tray menu's first item, "Block accidental clicks", unchecked now, switches it on again.
    ASSERT_TRUE(app_.OpenTrayMenu());
    EXPECT_FALSE(MenuFirstItemChecked());
    TypeKeyNoted(VK_DOWN);
    TypeKeyNoted(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return IsChecked(box); }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(combo) && IsWindowEnabled(beep); }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return IconPixels() == onPixels; }, 3000)) << "the on image is back";
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "hooks are back: the click is swallowed";

    // And off again; the saved state follows.
    ASSERT_TRUE(app_.OpenTrayMenu());
    EXPECT_TRUE(MenuFirstItemChecked());
    TypeKeyNoted(VK_DOWN);
    TypeKeyNoted(VK_RETURN);
    ASSERT_TRUE(PumpUntil([&] { return !IsChecked(box); }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return IconPixels() == offPixels; }, 3000));
    EXPECT_TRUE(PressArrivesAfterKey(100));
    PressEscIn(app_.Window());
    ASSERT_TRUE(PumpUntil([&] { return !app_.Visible(); }, 3000));
    EXPECT_TRUE(PumpUntil([] { return ReadDword(L"BlockerEnabled") == 0u; }, 2000));
}

// ---- Hiding, saving, showing again ----

TEST_F(QuorlinEndToEnd, EscAndCloseButtonHideAndSaveWhileBlockingGoesOn) {
    StartApp();
    PressEscIn(app_.Window());
    ASSERT_TRUE(PumpUntil([&] { return !app_.Visible(); }, 3000)) << "Esc hides the settings window";
    ASSERT_TRUE(PumpUntil([] { return ValueType(L"TouchpadShortcut").has_value(); }, 2000)) << "saved";
    EXPECT_TRUE(app_.Running());
    ExpectEveryValueWithItsType();
    EXPECT_EQ(ReadDword(L"Visible"), 0u);
    EXPECT_EQ(ReadDword(L"BlockerEnabled"), 1u);
    EXPECT_EQ(ReadDword(L"Delay"), 500u);
    EXPECT_EQ(ReadDword(L"BlockCount"), 0u);
    EXPECT_EQ(ReadText(L"BlockerShortcut"), L"Ctrl+F9");
    EXPECT_EQ(ReadText(L"TouchpadShortcut"), L"Ctrl+Alt+F9");
    EXPECT_EQ(ReadDword(L"TouchpadSwitch"), 0u);
    RECT r{};
    GetWindowRect(app_.Window(), &r);
    EXPECT_EQ(ReadText(L"Bounds"), std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L"," +
                                       std::to_wstring(r.right) + L"," + std::to_wstring(r.bottom));

    // Hidden, it goes on blocking; the hidden label is left alone until the window shows again.
    EXPECT_FALSE(PressArrivesAfterKey(100));
    PumpFor(300);
    EXPECT_NE(Counter(), L"Clicks blocked: 1");

    // Alt+click on the tray icon shows the window, with the count brought up to date.
    const POINT icon = app_.TrayIconCenter();
    WaitAfterKeys(650);  // or the blocker swallows the move
    MoveTo(icon.x, icon.y);
    PumpFor(300);
    SendKey(VK_MENU, false);  // held, as a hand holds it, until the click has been handled
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    const bool shown = PumpUntil([&] { return app_.Visible(); }, 3000);
    TypeKey(VK_CONTROL);  // so that letting go of Alt does not open the window's menu
    SendKey(VK_MENU, true);
    ASSERT_TRUE(shown) << "Alt+click opens the settings window";
    EXPECT_TRUE(CounterReads(1)) << Narrow(Counter());

    // The close button hides and saves too.
    DeleteSettingsKey();
    const POINT close = CloseButtonPoint(app_.Window());
    ASSERT_GE(close.x, 0) << "no close button found";
    SafeClick(close.x, close.y);
    ASSERT_TRUE(PumpUntil([&] { return !app_.Visible(); }, 3000)) << "the close button hides the window";
    ASSERT_TRUE(PumpUntil([] { return ValueType(L"TouchpadShortcut").has_value(); }, 2000)) << "saved";
    EXPECT_TRUE(app_.Running());
    EXPECT_EQ(ReadDword(L"Visible"), 0u);
    EXPECT_EQ(ReadDword(L"BlockCount"), 1u);
    EXPECT_FALSE(PressArrivesAfterKey(100));
}

TEST_F(QuorlinEndToEnd, SecondStartLeavesOneProcessAndShowsTheFirst) {
    WriteDword(L"Visible", 0);
    StartApp();
    PumpFor(300);
    EXPECT_FALSE(app_.Visible()) << "a stored Visible=0 starts hidden";

    QuorlinProcess second;
    second.Launch();
    EXPECT_NE(second.WaitExit(10000), STILL_ACTIVE) << "the second copy ends itself";
    EXPECT_TRUE(app_.Running());
    EXPECT_TRUE(PumpUntil([&] { return app_.Visible(); }, 3000)) << "the first shows its settings window";
    int icons = 0;
    for (const TrayTool& t : TrayTools())
        if (!IsRectEmpty(&t.rect) && t.text.rfind(L"Quorlin (", 0) == 0) ++icons;
    EXPECT_EQ(icons, 1);
}

// ---- Settings across restarts ----

TEST_F(QuorlinEndToEnd, SwallowedClickIsStoredAtTheNextMinutesTickWhileItRuns) {
    WriteDword(L"Internet", 0);  // the tick sends no report
    WriteDword(L"BlockCount", 3);
    StartApp();
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "the press should have been swallowed";
    ASSERT_TRUE(CounterReads(4)) << Narrow(Counter());
    EXPECT_EQ(ReadDword(L"BlockCount"), 3u) << "stored before the tick";

    // A second start makes the running one take its minutes tick at once.
    QuorlinProcess second;
    second.Launch();
    ASSERT_NE(second.WaitExit(10000), STILL_ACTIVE);
    EXPECT_TRUE(PumpUntil([] { return ReadDword(L"BlockCount") == std::optional<DWORD>(4u); }, 5000));
    EXPECT_TRUE(app_.Running());
}

TEST_F(QuorlinEndToEnd, SettingsSurviveRestartAndCountAccumulates) {
    WriteText(L"Bounds", L"120,80,436,526");
    WriteDword(L"Delay", 750);
    WriteDword(L"BlockEvents", 0);
    WriteDword(L"BeepOnClick", 0);
    WriteDword(L"BlockCount", 5);
    StartApp();
    RECT r{};
    GetWindowRect(app_.Window(), &r);
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 80);
    EXPECT_FALSE(IsChecked(CheckBox(kBlockEvents)));
    EXPECT_FALSE(IsChecked(CheckBox(kBeep)));
    EXPECT_TRUE(IsChecked(BlockerCheckBox()));
    EXPECT_EQ(TextOf(IntervalList()), L"3/4 sec") << "interval list shows 750 ms";
    EXPECT_TRUE(CounterReads(5)) << Narrow(Counter());
    EXPECT_TRUE(MoveArrivesAfterKey()) << "BlockEvents=0 lets moves pass";
    EXPECT_FALSE(PressArrivesAfterKey(650)) << "750 ms still blocks a click 650 ms after a key";
    EXPECT_TRUE(CounterReads(6)) << Narrow(Counter());
    StopApp();
    EXPECT_EQ(ReadDword(L"BlockCount"), 6u);
    EXPECT_EQ(ReadDword(L"Delay"), 750u);
    EXPECT_EQ(ReadDword(L"BlockEvents"), 0u);
    EXPECT_EQ(ReadDword(L"BeepOnClick"), 0u);
    EXPECT_EQ(ReadDword(L"Visible"), 1u);
    const std::wstring bounds = ReadText(L"Bounds").value_or(L"");
    EXPECT_EQ(bounds.rfind(L"120,80,", 0), 0u) << Narrow(bounds);

    StartApp();
    EXPECT_TRUE(CounterReads(6)) << Narrow(Counter());
    EXPECT_FALSE(PressArrivesAfterKey(100));
    EXPECT_TRUE(CounterReads(7)) << Narrow(Counter());
    StopApp();
    EXPECT_EQ(ReadDword(L"BlockCount"), 7u);
}

TEST_F(QuorlinEndToEnd, BlockerOffAtStartInstallsNoHooksAndUnreadableBoundsCentre) {
    WriteDword(L"BlockerEnabled", 0);
    WriteText(L"Bounds", L"a,b,c,d");
    StartApp();
    EXPECT_FALSE(IsChecked(BlockerCheckBox()));
    EXPECT_FALSE(IsWindowEnabled(CheckBox(kBeep)));
    EXPECT_TRUE(PressArrivesAfterKey(50)) << "no hooks after start: a fast click passes";
    EXPECT_TRUE(BalloonShown(L"Blocking of accidental clicks is Off use \"Ctrl+F9\" to switch"));

    // Once the start-up phase is over, checking the group's box switches it on with a balloon.
    PumpFor(1600);
    SafeClickWindow(BlockerCheckBox());
    ASSERT_TRUE(PumpUntil([&] { return IsChecked(BlockerCheckBox()); }, 2000));
    EXPECT_TRUE(PumpUntil([&] { return IsWindowEnabled(CheckBox(kBeep)) != FALSE; }, 2000));
    EXPECT_FALSE(PressArrivesAfterKey(100));
    EXPECT_TRUE(BalloonShown(L"Blocking of accidental clicks is On use \"Ctrl+F9\" to switch"));

    RECT r{}, work{};
    GetWindowRect(app_.Window(), &r);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((r.left + r.right) / 2, (work.left + work.right) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(QuorlinEndToEnd, LegacyThreshholdGivesTheIntervalAndIsLeftInPlace) {
    WriteDword(L"Threshhold", 1000);
    StartApp();
    EXPECT_EQ(TextOf(IntervalList()), L"1.0 sec");
    EXPECT_FALSE(PressArrivesAfterKey(700)) << "1000 ms still blocks a click 700 ms after a key";
    StopApp();
    EXPECT_EQ(ReadDword(L"Delay"), 1000u);
    EXPECT_EQ(ReadDword(L"Threshhold"), 1000u) << "the legacy value is never written or removed";
}

TEST_F(QuorlinEndToEnd, ValuesOfTheWrongTypeNeitherCrashNorStick) {
    const DWORD five = 5;
    const BYTE one = 1;
    const wchar_t multi[] = L"1\0\0";
    const unsigned long long big = 1;
    WriteDword(L"Bounds", 7);
    WriteText(L"Visible", L"0");
    WriteRaw(L"AutoRun", REG_BINARY, &one, 1);
    WriteText(L"Balloons", L"0");
    WriteRaw(L"Internet", REG_MULTI_SZ, multi, sizeof multi);
    WriteText(L"BlockerEnabled", L"0");
    WriteRaw(L"BlockEvents", REG_QWORD, &big, sizeof big);
    WriteRaw(L"BeepOnClick", REG_DWORD, &one, 1);  // a DWORD one byte long
    WriteText(L"BlockCount", L"7");
    WriteRaw(L"Delay", REG_BINARY, &five, sizeof five);
    WriteText(L"BlockerSwitch", L"0");
    WriteDword(L"BlockerShortcut", 0x4078);
    WriteText(L"TouchpadSwitch", L"1");
    WriteRaw(L"TouchpadShortcut", REG_BINARY, &five, sizeof five);

    StartApp();
    EXPECT_TRUE(app_.Visible()) << "Visible of the wrong type is not taken for 0";
    EXPECT_TRUE(IsChecked(BlockerCheckBox())) << "BlockerEnabled of the wrong type is not taken for 0";
    EXPECT_TRUE(CounterReads(0)) << Narrow(Counter());
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "the blocker runs with its defaults";
    StopApp();

    ExpectEveryValueWithItsType();
    EXPECT_EQ(ReadDword(L"Visible"), 1u);
    EXPECT_EQ(ReadDword(L"BlockerEnabled"), 1u);
    EXPECT_EQ(ReadDword(L"Delay"), 500u);
    EXPECT_EQ(ReadDword(L"BlockCount"), 1u);
    EXPECT_EQ(ReadDword(L"BlockerSwitch"), 1u);
    EXPECT_EQ(ReadText(L"BlockerShortcut"), L"Ctrl+F9");
    EXPECT_EQ(ReadText(L"TouchpadShortcut"), L"Ctrl+Alt+F9");
    const std::wstring bounds = ReadText(L"Bounds").value_or(L"");
    EXPECT_EQ(std::count(bounds.begin(), bounds.end(), L','), 3) << Narrow(bounds);
}

// ---- Logon start entry ----

TEST_F(QuorlinEndToEnd, AutoRunCheckBoxWritesAndDeletesTheRunValue) {
    StartApp();
    const std::wstring expected = L"\"" + QuorlinPath() + L"\" -startup";
    auto entry = ReadText(L"Quorlin.exe", kRunKey);
    ASSERT_TRUE(entry.has_value()) << "AutoRun is on by default";
    EXPECT_EQ(lstrcmpiW(entry->c_str(), expected.c_str()), 0) << Narrow(*entry) << " vs " << Narrow(expected);

    HWND autoRun = CheckBox(kAutoRun);
    ASSERT_TRUE(autoRun);
    SafeClickWindow(autoRun);
    ASSERT_TRUE(PumpUntil([&] { return !IsChecked(autoRun); }, 2000));
    EXPECT_TRUE(PumpUntil([] { return !ValueType(L"Quorlin.exe", kRunKey); }, 2000)) << "cleared: entry deleted";
    SafeClickWindow(autoRun);
    ASSERT_TRUE(PumpUntil([&] { return IsChecked(autoRun); }, 2000));
    EXPECT_TRUE(PumpUntil([] { return ValueType(L"Quorlin.exe", kRunKey).has_value(); }, 2000));
    entry = ReadText(L"Quorlin.exe", kRunKey);
    EXPECT_EQ(lstrcmpiW(entry.value_or(L"").c_str(), expected.c_str()), 0);
}

// The installer's start commands act only on their own file (however spelt), not on a copy elsewhere.
TEST_F(QuorlinEndToEnd, StartCommandsEndOnlyTheirOwnExecutableAndDeleteOnlyItsLogonEntry) {
    const std::wstring folder = TempFile(L"installed"), other = folder + L"\\Quorlin.exe";  // the same entry name
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) && CopyFileW(QuorlinPath().c_str(), other.c_str(), FALSE));
    StartApp();
    for (const wchar_t* command : {L"/exit", L"/uninstall"}) EXPECT_EQ(Start(other, command).Wait(15000), 0u);
    EXPECT_TRUE(app_.Running()) << "another copy's start command ended the program";
    EXPECT_TRUE(ValueType(L"Quorlin.exe", kRunKey).has_value()) << "another copy deleted the logon entry";
    std::wstring upper = QuorlinPath();
    CharUpperW(upper.data());
    EXPECT_EQ(Start(upper, L"/uninstall").Wait(15000), 0u);
    EXPECT_NE(app_.WaitExit(5000), STILL_ACTIVE);
    EXPECT_FALSE(ValueType(L"Quorlin.exe", kRunKey).has_value());
    DeleteFileW(other.c_str());
    RemoveDirectoryW(folder.c_str());
}

// ---- Ending ----

TEST_F(QuorlinEndToEnd, EndOfSessionSavesAndCloseFromTheTrayAsksOnce) {
    StartApp();
    DWORD_PTR answer = 0;
    ASSERT_TRUE(SendMessageTimeoutW(app_.Window(), WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer));
    EXPECT_EQ(answer, 1u) << "the session may end";
    ExpectEveryValueWithItsType();
    EXPECT_EQ(ReadDword(L"Visible"), 1u) << "the window was visible";
    // Someone else cancelled the end of the session: the program keeps running and closing the
    // settings window hides it again.
    SendMessageTimeoutW(app_.Window(), WM_ENDSESSION, FALSE, 0, SMTO_ABORTIFHUNG, 5000, &answer);
    PressEscIn(app_.Window());
    ASSERT_TRUE(PumpUntil([&] { return !app_.Visible(); }, 3000));
    PumpFor(300);
    ASSERT_TRUE(app_.Running()) << "closing the window after a cancelled logoff ended the program";
    DeleteSettingsKey();

    // Close from the tray menu (the last item) asks; asking again while the question is open
    // opens no second one.
    HWND box = AskToClose();
    ASSERT_TRUE(box);
    EXPECT_EQ(TextOf(box), L"Quorlin");
    EXPECT_TRUE(FindChild(box, L"Static", kCloseQuestion)) << "question text";
    ASSERT_TRUE(app_.OpenTrayMenu());
    TypeKeyNoted(VK_UP);
    TypeKeyNoted(VK_RETURN);
    PumpFor(800);
    EXPECT_EQ(TopLevelWindows(app_.Pid(), kQuestionClass).size(), 1u);

    // No has the focus, so Enter answers No and keeps it running.
    HWND no = FindChild(box, L"Button", L"&No");
    ASSERT_TRUE(no);
    SetForegroundWindow(box);
    GUITHREADINFO gui{sizeof gui};
    const DWORD thread = GetWindowThreadProcessId(box, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return GetGUIThreadInfo(thread, &gui) && gui.hwndFocus == no; }, 2000));
    TypeKeyNoted(VK_RETURN);
    ASSERT_TRUE(QuestionGone());
    PumpFor(300);
    EXPECT_TRUE(app_.Running());
    EXPECT_FALSE(SettingsKeyExists()) << "No saves nothing";

    // Y answers Yes: it ends, saved, icon gone.
    const std::wstring tip = app_.TrayTip();
    ASSERT_TRUE(AskToClose());
    TypeKeyNoted('Y');
    EXPECT_NE(app_.WaitExit(5000), STILL_ACTIVE);
    ExpectEveryValueWithItsType();
    EXPECT_EQ(ReadDword(L"Visible"), 0u);
    EXPECT_TRUE(PumpUntil([&] { return CountToolsWithText(tip) == 0; }, 3000)) << "the tray icon is gone";
}

TEST_F(QuorlinEndToEnd, OnlyYesEndsTheProgramAndCtrlCCopiesTheQuestion) {
    WriteDword(L"Visible", 0);
    StartApp();
    HWND box = AskToClose();
    ASSERT_TRUE(box);
    // The settings window is hidden: the question stands in the middle of the work area.
    RECT r{};
    GetWindowRect(box, &r);
    const RECT work = WorkAreaOf(box);
    EXPECT_LE(std::abs((r.left - work.left) - (work.right - r.right)), 1);
    EXPECT_LE(std::abs((r.top - work.top) - (work.bottom - r.bottom)), 1);

    OpenClipboard(nullptr), EmptyClipboard(), CloseClipboard();
    Chord({VK_CONTROL, VK_SHIFT}, 'C');
    PumpFor(500);
    EXPECT_EQ(ClipboardText(), "") << "Ctrl+Shift+C copies nothing";
    Chord({VK_CONTROL}, 'C');
    const std::string d(27, '-');
    const std::string copy = d + "\r\nQuorlin\r\n" + d + "\r\n" + Narrow(kCloseQuestion) + "\r\n" + d +
                             "\r\nYes   No   \r\n" + d + "\r\n";
    EXPECT_TRUE(PumpUntil([&] { return ClipboardText() == copy; }, 2000)) << ClipboardText();

    // Esc (the question is still open after copying), N and the close box keep it running.
    TypeKeyNoted(VK_ESCAPE);
    ASSERT_TRUE(QuestionGone()) << "Esc";
    ASSERT_TRUE(AskToClose());
    TypeKeyNoted('N');
    ASSERT_TRUE(QuestionGone()) << "N";
    ASSERT_TRUE(box = AskToClose());
    const POINT close = CloseButtonPoint(box);
    SafeClick(close.x, close.y);
    ASSERT_TRUE(QuestionGone()) << "the close box";
    PumpFor(300);
    EXPECT_TRUE(app_.Running());
    EXPECT_FALSE(ValueType(L"Bounds")) << "nothing saved";

    ASSERT_TRUE(AskToClose());
    Chord({VK_MENU}, 'Y');
    EXPECT_EQ(app_.WaitExit(5000), 0u) << "Alt+Y answers Yes";
    EXPECT_TRUE(ValueType(L"Bounds")) << "saved";
}

TEST_F(QuorlinEndToEnd, QuestionStaysOnScreenWhileClicksAreCountedAndASecondStartFindsIt) {
    WriteText(L"Bounds", L"960,300,1274,735");  // the settings window against the right edge
    StartApp();
    HWND box = AskToClose();
    ASSERT_TRUE(box);
    RECT r{}, main{};
    GetWindowRect(box, &r);
    GetWindowRect(app_.Window(), &main);
    const RECT work = WorkAreaOf(app_.Window());
    EXPECT_GT(r.right - r.left, main.right - main.left) << "wider than the settings window";
    EXPECT_TRUE(r.left >= work.left && r.top >= work.top && r.bottom <= work.bottom);
    EXPECT_EQ(r.right, work.right) << "pulled back onto the screen";

    // The blocker goes on while the question is open.
    ASSERT_TRUE(CounterReads(0)) << Narrow(Counter());
    EXPECT_FALSE(PressArrivesAfterKey(100));
    EXPECT_TRUE(CounterReads(1)) << Narrow(Counter());

    // A second start brings the question to the front.
    ASSERT_NE(GetForegroundWindow(), box);
    QuorlinProcess second;
    second.Launch();
    EXPECT_NE(second.WaitExit(10000), STILL_ACTIVE) << "the second copy ends itself";
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == box; }, 3000));
    TypeKeyNoted(VK_ESCAPE);
    ASSERT_TRUE(QuestionGone());
    EXPECT_TRUE(app_.Running());
}

// ---- Smart blocking ----

TEST_F(QuorlinEndToEnd, SmartBlockingIsOffByDefaultAndItsSubmenuTurnsEachOptionOnForTheNextSave) {
    WriteDword(L"Balloons", 0);  // none may cover the tray menu
    StartApp();
    EXPECT_FALSE(PressArrivesAfterKey(100, [] { Chord({VK_CONTROL}, 'C'); }));
    EXPECT_FALSE(PressArrivesAfterKey(0, [] { HoldKey('W', 800); })) << "auto-repeats keep blocking";
    ReleaseKey('W');
    // Another program's window without caption over the whole screen changes nothing either.
    target_ = std::make_unique<RecordingWindow>(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_FALSE(PressArrivesAfterKey(100));
    target_.reset();

    // "Smart blocking" sits above "Rules for ...", "Activity…" and the separator over Close; each of its items in turn.
    for (int item = 0; item < 3; ++item) {
        ASSERT_TRUE(app_.OpenTrayMenu());
        for (WORD key : {VK_UP, VK_UP, VK_UP, VK_UP, VK_RIGHT}) TypeKeyNoted(key);
        for (int i = 0; i < item; ++i) TypeKeyNoted(VK_DOWN);
        TypeKeyNoted(VK_RETURN);
        ASSERT_TRUE(PumpUntil([] { return !VisibleMenu(); }, 2000));
    }
    EXPECT_FALSE(ValueType(L"PauseFullScreen").has_value()) << "stored with the next save, not before";
    PressEscIn(app_.Window());
    for (const wchar_t* name : {L"PauseFullScreen", L"IgnoreShortcutKeys", L"IgnoreHeldKeys"})
        EXPECT_TRUE(PumpUntil([&] { return ReadDword(name) == 1u; }, 3000)) << Narrow(name);
}

TEST_F(QuorlinEndToEnd, StoredShortcutAndHeldKeyOptionsLetClicksPassAfterShortcutsAndDuringAutoRepeat) {
    WriteDword(L"IgnoreShortcutKeys", 1);
    WriteDword(L"IgnoreHeldKeys", 1);
    StartApp();
    EXPECT_TRUE(PressArrivesAfterKey(100, [] { Chord({VK_CONTROL}, 'C'); }));
    EXPECT_TRUE(PressArrivesAfterKey(100, [] { TypeKeyNoted(VK_RIGHT); }));
    EXPECT_TRUE(PressArrivesAfterKey(100, [] { TypeKeyNoted(VK_F5); }));
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "a letter still blocks";
    EXPECT_TRUE(PressArrivesAfterKey(0, [] { HoldKey('W', 800); })) << "only the first press counts";
    ReleaseKey('W');
    EXPECT_FALSE(PressArrivesAfterKey(100, [] { SendKey('W', false); })) << "a fresh press blocks";
    ReleaseKey('W');
}

TEST_F(QuorlinEndToEnd, StoredFullScreenPauseLetsClicksPassWhileAnotherProgramFillsTheScreen) {
    WriteDword(L"PauseFullScreen", 1);
    StartApp();
    target_ = std::make_unique<RecordingWindow>(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_TRUE(PumpUntil([&] { return PressArrivesAfterKey(100); }, 6000));
    SetWindowPos(target_->hwnd(), nullptr, 20, 20, 240, 160, SWP_NOZORDER);
    EXPECT_TRUE(PumpUntil([&] { return !PressArrivesAfterKey(100); }, 6000)) << "blocked again at normal size";
}

TEST_F(QuorlinEndToEnd, ShorterBlockAfterASingleKeyFromTheMenuAndTheWholeIntervalOnceKeysShowTyping) {
    WriteDword(L"Balloons", 0);  // none may cover the tray menu
    StartApp();
    // Keys `apart` ms apart, a click `delay` ms after the last. A swallowed press is asked for only
    // where the hooks saw the keys less than `within` ms apart and the click as soon after the last
    // key, which the times around the input bound; a machine too slow for that leaves the case open.
    const auto arrives = [this](int keys, DWORD apart, DWORD delay, DWORD within = 0) {
        for (int run = 0; run < 4; ++run) {
            DWORD first = 0, last = 0, lastDone = 0;
            const bool arrived = PressArrivesAfterKey(delay, [&] {
                first = GetTickCount();
                for (int i = 0; i < keys; ++i) {
                    if (i > 0) PumpFor(apart);
                    last = GetTickCount();
                    TypeKeyNoted(static_cast<WORD>('A' + i));
                }
                lastDone = GetTickCount();
            });
            if (within == 0 || (lastDone - first < within && clickDone_ - last < within)) return arrived;
        }
        ADD_FAILURE() << "the machine never kept the times";
        return true;
    };
    EXPECT_FALSE(arrives(1, 0, 300, 500)) << "off: the whole interval, as before";
    ASSERT_TRUE(app_.OpenTrayMenu());
    // The target was in front, so "Rules for NAME" stands between Activity… and Smart blocking.
    for (WORD key : {VK_UP, VK_UP, VK_UP, VK_UP, VK_RIGHT, VK_UP, VK_RETURN}) TypeKeyNoted(key);  // the submenu's last item
    ASSERT_TRUE(PumpUntil([] { return !VisibleMenu(); }, 2000));
    EXPECT_FALSE(arrives(1, 0, 150, 200));
    EXPECT_TRUE(arrives(1, 0, 300));
    EXPECT_FALSE(arrives(2, 300, 400, 500));
    EXPECT_TRUE(arrives(2, 700, 300));
    PressEscIn(app_.Window());
    EXPECT_TRUE(PumpUntil([&] { return ReadDword(L"AdaptToTyping") == 1u; }, 3000));
}

// ---- External mice and keyboards ----

// The interface path raw input gives this machine's first device of the kind, as Quorlin names
// its placement: upper-cased.
std::wstring FirstDevicePath(DWORD type) {
    RAWINPUTDEVICELIST list[16];
    UINT count = 16;
    const UINT got = GetRawInputDeviceList(list, &count, sizeof *list);
    for (UINT i = 0; got != static_cast<UINT>(-1) && i < got; ++i) {
        if (list[i].dwType != type) continue;
        wchar_t name[512] = {};
        UINT chars = 512;
        if (GetRawInputDeviceInfoW(list[i].hDevice, RIDI_DEVICENAME, name, &chars) == static_cast<UINT>(-1)) break;
        std::wstring path(name);
        for (auto& c : path) c = static_cast<wchar_t>(towupper(c));
        return path;
    }
    return {};
}

const std::wstring kDevicesKey = std::wstring(kQuorlinKey) + L"\\Devices";

// Opens "Input devices" in "Smart blocking" and chooses its item at index (mouse first).
void ChooseInputDevice(QuorlinProcess& app, int index) {
    ASSERT_TRUE(app.OpenTrayMenu());
    for (WORD key : {VK_UP, VK_UP, VK_UP, VK_UP, VK_RIGHT}) TypeKeyNoted(key);
    for (int i = 0; i < 5; ++i) TypeKeyNoted(VK_DOWN);  // past the five options and their separator
    TypeKeyNoted(VK_RIGHT);
    for (int i = 0; i < index; ++i) TypeKeyNoted(VK_DOWN);
    TypeKeyNoted(VK_RETURN);
    ASSERT_TRUE(PumpUntil([] { return !VisibleMenu(); }, 2000));
}

// The shipped program, and the test-only build that takes each event's raw input report only after
// deciding the event (Wine queues it before; Windows is reported to queue it after).
class DevicesEndToEnd : public QuorlinEndToEnd, public ::testing::WithParamInterface<const wchar_t*> {
protected:
    void SetUp() override {
        QuorlinEndToEnd::SetUp();
        app_.UseExe(ExeDir() + L"\\" + GetParam());
    }
    // A letter, then the pointer moved to the target 50 ms later, as a hand moves a mouse to click.
    std::function<void()> KeyThenMove() {
        const POINT c = Target().Center();
        return [c] { TypeKeyNoted('A'), PumpFor(50), MoveTo(c.x, c.y); };
    }
};
INSTANTIATE_TEST_SUITE_P(Builds, DevicesEndToEnd, ::testing::Values(L"Quorlin.exe", L"QuorlinReportsAfterHooks.exe"));

// Wine's input devices are USB-style: external unless placed otherwise.
TEST_P(DevicesEndToEnd, StoredIgnoreExternalMouseLetsClicksPassUntilTheMouseIsPlacedBuiltInFromTheMenu) {
    const std::wstring mouse = FirstDevicePath(RIM_TYPEMOUSE);
    ASSERT_FALSE(mouse.empty());
    WriteDword(L"Balloons", 0);  // none may cover the tray menu
    WriteDword(L"IgnoreExternalMouse", 1);
    StartApp();
    EXPECT_TRUE(PressArrivesAfterKey(50, KeyThenMove())) << "an external mouse is never blocked";
    if (GetParam() != std::wstring(L"Quorlin.exe"))
        EXPECT_FALSE(PressArrivesAfterKey(100, [] { TypeKeyNoted('A'); }, false))
            << "no move before it: only the press's own report names the mouse, and it comes after";
    ChooseInputDevice(app_, 0);
    EXPECT_FALSE(PressArrivesAfterKey(50, KeyThenMove())) << "placed built in: blocked at once";
    EXPECT_FALSE(ValueType(mouse.c_str(), kDevicesKey.c_str()).has_value()) << "stored with the next save";
    PressEscIn(app_.Window());
    EXPECT_TRUE(PumpUntil([&] { return ReadDword(mouse.c_str(), kDevicesKey.c_str()) == 1u; }, 3000));
}

TEST_P(DevicesEndToEnd, StoredIgnoreExternalKeyboardStartsNoIntervalUntilTheKeyboardIsPlacedBuiltIn) {
    const std::wstring mouse = FirstDevicePath(RIM_TYPEMOUSE);
    const std::wstring keyboard = FirstDevicePath(RIM_TYPEKEYBOARD);
    ASSERT_FALSE(keyboard.empty());
    WriteDword(L"Balloons", 0);
    WriteDword(L"IgnoreExternalKeyboard", 1);
    WriteDword(mouse.c_str(), 2, kDevicesKey.c_str());  // external, but its option is off
    WriteDword(keyboard.c_str(), 7, kDevicesKey.c_str());  // no placement: automatic
    StartApp();
    EXPECT_TRUE(PressArrivesAfterKey(100)) << "typing on an external keyboard blocks nothing";
    ChooseInputDevice(app_, 1);
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "placed built in, its keys block; the mouse's option is off";
    PressEscIn(app_.Window());
    EXPECT_TRUE(PumpUntil([&] { return ReadDword(keyboard.c_str(), kDevicesKey.c_str()) == 1u; }, 3000));
}

// Private-range messages of several values, and a quit and a close, posted to every message-only
// window of the running program's own (its timers' and the raw input thread's); returns how many.
int PostStrayMessages(DWORD pid) {
    int found = 0;
    for (HWND w = nullptr; (w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(w, &owner);
        // The program's own; the COM apartment's window (OleMainThreadWndClass) is the system's.
        wchar_t name[64] = {};
        GetClassNameW(w, name, 64);
        if (owner != pid || std::wcsncmp(name, L"Quorlin", 7) != 0) continue;
        ++found;
        for (UINT base : {UINT{WM_USER}, UINT{WM_APP}})
            for (UINT m = base; m < base + 0x50; ++m)
                for (WPARAM wp : {0u, 1u, 2u, 3u}) PostMessageW(w, m, wp, 0);
        PostMessageW(w, WM_QUIT, 0, 0);
        PostMessageW(w, WM_CLOSE, 0, 0);
    }
    PumpFor(500);
    return found;
}

TEST_F(QuorlinEndToEnd, MessagesFromElsewhereToItsMessageOnlyWindowsChangeNothing) {
    const std::function<void()> keyThenMove = [c = Target().Center()] { TypeKeyNoted('A'), PumpFor(50), MoveTo(c.x, c.y); };
    for (const DWORD spare : {1u, 0u}) {
        WriteDword(L"IgnoreExternalMouse", spare);
        StartApp();
        const int windows = PostStrayMessages(app_.Pid());
        EXPECT_GE(windows, spare ? 5 : 4) << "four timers and, for the option, the raw input thread";
        EXPECT_EQ(PressArrivesAfterKey(50, keyThenMove), spare == 1) << (spare ? "still spared" : "the hooks still block");
        EXPECT_EQ(PostStrayMessages(app_.Pid()), windows) << "none closed";
        EXPECT_TRUE(app_.Running());
        StopApp();
    }
}

// ---- Rules per program ----

const std::wstring kProgramsKey = std::wstring(kQuorlinKey) + L"\\Programs";

// The rule name of this test program, whose window the target is: its file name in lower case.
std::wstring OwnProgramName() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return CharLowerW(std::wcsrchr(path, L'\\') + 1);
}

TEST_F(QuorlinEndToEnd, StoredRulesApplyToTheirProgramOnly) {
    const std::wstring me = OwnProgramName();
    WriteDword(L"other.exe", 1, kProgramsKey.c_str());
    StartApp();
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "a rule for another program changes nothing here";
    ASSERT_TRUE(CounterReads(1)) << Narrow(Counter());
    StopApp();

    WriteDword(me.c_str(), 1, kProgramsKey.c_str());
    StartApp();
    EXPECT_TRUE(PressArrivesAfterKey(100)) << "never block";
    PumpFor(300);
    EXPECT_EQ(Counter(), L"Clicks blocked: 1");
    // A click that would bring the target to the front is decided by the rule of the program in front
    // before it, Quorlin's (none). The pointer is put there directly: a move now would be swallowed.
    EXPECT_FALSE(PressArrivesAfterKey(100, [&] {
        SetForegroundWindow(app_.Window());
        PumpUntil([&] { return GetForegroundWindow() == app_.Window(); }, 1000);
        SetCursorPos(Target().Center().x, Target().Center().y);
        TypeKeyNoted('A');
    }));
    EXPECT_TRUE(CounterReads(2)) << Narrow(Counter());
    StopApp();

    WriteDword(me.c_str(), 2, kProgramsKey.c_str());
    StartApp();
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "clicks only: clicks are blocked";
    EXPECT_TRUE(MoveArrivesAfterKey()) << "clicks only: moves pass";
    StopApp();

    // Moves pass from here on: after a restart Wine may put the pointer back where the X pointer is.
    WriteDword(L"BlockEvents", 0);
    WriteDword(me.c_str(), 1000, kProgramsKey.c_str());
    StartApp();
    EXPECT_FALSE(PressArrivesAfterKey(700)) << "the rule's own interval, not the settings' 500 ms";
    EXPECT_TRUE(PressArrivesAfterKey(1200));
}

TEST_F(QuorlinEndToEnd, TrayMenuSetsARuleForTheProgramInFrontAtOnceAndRemovesIt) {
    const std::wstring me = OwnProgramName();
    WriteDword(L"Balloons", 0);  // none may cover the tray menu
    StartApp();
    PressEscIn(Target().hwnd());  // in front, and a key the target ignores
    // "Rules for <this program>" sits just above "Activity…" and the separator over Close.
    ASSERT_TRUE(app_.OpenTrayMenu());
    for (WORD key : {VK_UP, VK_UP, VK_UP, VK_RIGHT, VK_DOWN, VK_RETURN}) TypeKeyNoted(key);
    ASSERT_TRUE(PumpUntil([] { return !VisibleMenu(); }, 2000));
    EXPECT_TRUE(PressArrivesAfterKey(100)) << "never block, at once";
    PressEscIn(app_.Window());
    EXPECT_TRUE(PumpUntil([&] { return ReadDword(me.c_str(), kProgramsKey.c_str()) == 1u; }, 3000));

    // Removed through "All rules", the last item: its one program, then "As the settings say".
    PressEscIn(Target().hwnd());  // in front, and a key the target ignores
    ASSERT_TRUE(app_.OpenTrayMenu());
    for (WORD key : {VK_UP, VK_UP, VK_UP, VK_RIGHT, VK_UP, VK_RIGHT, VK_RIGHT, VK_RETURN}) TypeKeyNoted(key);
    ASSERT_TRUE(PumpUntil([] { return !VisibleMenu(); }, 2000));
    EXPECT_FALSE(PressArrivesAfterKey(100)) << "blocked again at once";
    StopApp();
    EXPECT_FALSE(ValueType(me.c_str(), kProgramsKey.c_str()).has_value()) << "the removed rule's value is deleted";
}

TEST_F(QuorlinEndToEnd, HostileRuleValuesAreIgnoredAndLeftInPlace) {
    const std::wstring me = OwnProgramName();
    const wchar_t* key = kProgramsKey.c_str();
    // A name of 1 MB is refused by the registry, which takes names of up to 16,383 characters.
    const std::wstring huge(16383, L'a');
    WriteDword(huge.c_str(), 1, key);
    ASSERT_TRUE(ValueType(huge.c_str(), key).has_value()) << "the registry refused the long name";
    WriteDword(L"other.exe", 2, key);  // a rule beside them: saving writes the rules
    WriteDword(L"BlockEvents", 0);      // the click's own move must pass after each restart
    const wchar_t text[] = L"1";
    const DWORD one = 1, zero = 0, below = 99, above = 5001;
    const std::tuple<DWORD, const void*, DWORD> hostile[] = {{REG_SZ, text, sizeof text}, {REG_BINARY, &one, 4},
                                                             {REG_DWORD, &zero, 4}, {REG_DWORD, &below, 4}, {REG_DWORD, &above, 4}};
    for (const auto& [type, data, size] : hostile) {
        WriteRaw(me.c_str(), type, data, size, key);
        StartApp();
        EXPECT_FALSE(PressArrivesAfterKey(100)) << "type " << type << ": no rule, blocked as the settings say";
        StopApp();
        BYTE stored[16] = {};
        DWORD storedType = 0, storedSize = sizeof stored;
        RegGetValueW(HKEY_CURRENT_USER, key, me.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &storedType, stored, &storedSize);
        EXPECT_TRUE(storedType == type && storedSize == size && std::memcmp(stored, data, size) == 0) << "changed: " << type;
    }
    EXPECT_TRUE(ValueType(huge.c_str(), key).has_value());
    EXPECT_EQ(ReadDword(L"other.exe", key), 2u);
}

TEST_F(QuorlinEndToEnd, ClickSwallowedWhileTheTrayMenuIsOpenIsCounted) {
    StartApp();
    ASSERT_TRUE(CounterReads(0)) << Narrow(Counter());
    const POINT c = Target().Center();
    ASSERT_TRUE(app_.OpenTrayMenu());
    // The system's menu loop runs now. A key the menu ignores, then a press over the target,
    // with the pointer put there directly (a move so soon after the key would be swallowed too).
    SetCursorPos(c.x, c.y);
    TypeKeyNoted(VK_F5);
    PumpFor(100);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    PumpFor(300);
    if (VisibleMenu()) TypeKeyNoted(VK_ESCAPE);
    EXPECT_TRUE(CounterReads(1)) << Narrow(Counter());
    EXPECT_FALSE(Target().Received(WM_LBUTTONDOWN));
}

// The taskbar's theme as the system keeps it and announces a change of it.
void SetTaskbarTheme(DWORD light) {
    WriteDword(L"SystemUsesLightTheme", light, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"),
                        SMTO_ABORTIFHUNG, 3000, &answer);
}

TEST_F(QuorlinEndToEnd, TrayIconIsDrawnForTheTaskbarsThemeAndFollowsItsChange) {
    WriteDword(L"Balloons", 0);  // nothing over the icon
    WriteDword(L"SystemUsesLightTheme", 1, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");
    StartApp();
    std::vector<COLORREF> light;
    ASSERT_TRUE(PumpUntil([&] { return !(light = IconPixels()).empty(); }, 3000));

    SetTaskbarTheme(0);
    std::vector<COLORREF> dark;
    EXPECT_TRUE(PumpUntil([&] { return (dark = IconPixels()) != light; }, 3000)) << "drawn for a dark taskbar now";
    SetTaskbarTheme(1);
    EXPECT_TRUE(PumpUntil([&] { return IconPixels() == light; }, 3000)) << "and for a light one again";
    // A setting change of another kind leaves the picture alone.
    WriteDword(L"SystemUsesLightTheme", 0, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize");
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, SPI_SETWORKAREA, 0, SMTO_ABORTIFHUNG, 3000, &answer);
    EXPECT_EQ(IconPixels(), light);
}

// ---- A machine up for weeks ----

// Each case: its settings, the click's delay after the last key, and whether it passes.
const struct {
    const char* Name;
    void (*Store)();
    DWORD Delay;
    bool TwoKeys, Move, Arrives;
} kUptimeCases[] = {
    {"Blocker", [] {}, 100, false, false, false},
    {"TypingAware", [] { WriteDword(L"AdaptToTyping", 1); }, 350, true, false, false},  // typing: not 200 ms
    {"Rule", [] { WriteDword(OwnProgramName().c_str(), 1000, kProgramsKey.c_str()), WriteDword(L"BlockEvents", 0); },
     700, false, false, false},
    {"ExternalMouse", [] { WriteDword(L"IgnoreExternalMouse", 1); }, 100, false, true, true},
    {"ExternalKeyboard",  // placed built in, its keys block
     [] { WriteDword(L"IgnoreExternalKeyboard", 1), WriteDword(FirstDevicePath(RIM_TYPEKEYBOARD).c_str(), 1, kDevicesKey.c_str()); },
     100, false, false, false},
};

// Under a shifted clock only (QUORLIN_UPTIME, see scripts/wine-run.sh): "25d" is a machine up 25
// days, past the tick count's sign; "wrap:S" one whose tick count wraps S seconds after the session
// starts, one case to a session, the last key before the wrap and the click after it.
class Uptime : public QuorlinEndToEnd, public ::testing::WithParamInterface<std::tuple<const wchar_t*, int>> {};

TEST_P(Uptime, DecidesAsOnAFreshMachine) {
    const char* uptime = std::getenv("QUORLIN_UPTIME");
    if (!uptime) GTEST_SKIP() << "runs under a shifted clock: QUORLIN_UPTIME";
    ASSERT_GE(GetTickCount(), 0x80000000u) << "the clock is not shifted";
    const auto& c = kUptimeCases[std::get<1>(GetParam())];
    app_.UseExe(ExeDir() + L"\\" + std::get<0>(GetParam()));
    WriteDword(L"Balloons", 0);
    c.Store();
    StartApp();
    const bool wrap = uptime[0] == 'w';
    const POINT p = Target().Center();
    DWORD lastKey = 0;
    EXPECT_EQ(PressArrivesAfterKey(c.Delay, [&] {
                  while (wrap && GetTickCount() >= 0x80000000u && 0u - GetTickCount() > c.Delay / 2 + (c.TwoKeys ? 100 : 0))
                      PumpFor(5);
                  if (c.TwoKeys) TypeKeyNoted('B'), PumpFor(100);
                  lastKey = GetTickCount();
                  TypeKeyNoted('A');
                  if (c.Move) PumpFor(50), MoveTo(p.x, p.y);
              }),
              c.Arrives);
    if (wrap) EXPECT_TRUE(lastKey >= 0x80000000u && clickDone_ < 0x80000000u) << "no wrap between " << lastKey << " and " << clickDone_;
    if (!c.Arrives) EXPECT_TRUE(PressArrivesAfterKey(c.Delay + 600)) << "and the block ends";
}

std::string UptimeName(const ::testing::TestParamInfo<Uptime::ParamType>& info) {
    const bool shipped = std::wstring(std::get<0>(info.param)) == L"Quorlin.exe";
    return std::string(shipped ? "Quorlin_" : "ReportsAfterHooks_") + kUptimeCases[std::get<1>(info.param)].Name;
}
INSTANTIATE_TEST_SUITE_P(Uptime, Uptime,
                         ::testing::Combine(::testing::Values(L"Quorlin.exe", L"QuorlinReportsAfterHooks.exe"),
                                            ::testing::Range(0, static_cast<int>(std::size(kUptimeCases)))),
                         UptimeName);

}  // namespace
