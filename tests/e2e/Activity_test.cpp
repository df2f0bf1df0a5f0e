// The Activity window of the real Quorlin.exe: what its list and its buttons give a user.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"

using namespace testsupport;

namespace {

std::vector<std::wstring> Split(const std::wstring& text, const std::wstring& by) {
    std::vector<std::wstring> parts;
    for (std::size_t from = 0;;) {
        const std::size_t at = text.find(by, from);
        parts.push_back(text.substr(from, at - from));
        if (at == std::wstring::npos) return parts;
        from = at + by.size();
    }
}

class ActivityEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        WriteDword(L"Visible", 0);
        WriteDword(L"Balloons", 0);
    }
    void TearDown() override {
        if (VisibleMenu()) TypeKey(VK_ESCAPE);
        app_.Stop();
    }
    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }

    // "Activity…" sits just above the separator over Close.
    HWND OpenActivity() {
        if (!app_.OpenTrayMenu()) return nullptr;
        for (WORD key : {VK_UP, VK_UP, VK_RETURN}) TypeKeyNoted(key);
        HWND window = nullptr;
        PumpUntil([&] {
            const auto found = TopLevelWindows(app_.Pid(), L"QuorlinActivity");
            window = found.size() == 1 ? found[0] : nullptr;
            return window != nullptr;
        }, 3000);
        return window;
    }
    // Clicks a button of the window as a user does with the keyboard (no input event); true once the
    // clipboard changed, when asked to wait for that.
    bool Press(HWND window, const std::wstring& caption, bool copies = false) {
        const HWND button = FindChild(window, L"Button", caption);
        if (!button) return false;
        const DWORD before = GetClipboardSequenceNumber();
        SendMessageW(button, BM_CLICK, 0, 0);
        return !copies || PumpUntil([&] { return GetClipboardSequenceNumber() != before; }, 2000);
    }
    std::wstring Clipboard() {
        std::wstring text;
        if (!OpenClipboard(nullptr)) return text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            if (const auto* chars = static_cast<const wchar_t*>(GlobalLock(data))) text = chars;
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
    // The lines "Copy" puts on the clipboard, each split into its cells; the header first.
    std::vector<std::vector<std::wstring>> CopiedRows(HWND window) {
        PumpFor(400);  // the window reads the hooks' ring four times a second
        std::vector<std::vector<std::wstring>> rows;
        if (!Press(window, L"&Copy", true)) return rows;
        for (const std::wstring& line : Split(Clipboard(), L"\r\n"))
            if (!line.empty()) rows.push_back(Split(line, L"\t"));
        return rows;
    }
    // A letter with the target in front, then a press over it `delay` ms after the key's release;
    // the test's own measure of that time. again: a second press at the same place that much later.
    DWORD ClickAfterKey(DWORD delay, DWORD again = 0) {
        const POINT c = target_.Center();
        SetForegroundWindow(target_.hwnd());
        WaitAfterKeys(650);
        PlacePointer(c.x, c.y);
        PumpFor(100);
        TypeKeyNoted('A');
        const DWORD keyUp = GetTickCount();
        PumpFor(delay);
        const DWORD measured = GetTickCount() - keyUp;
        PressAndReleaseAt(c.x, c.y);
        if (again) {
            PumpFor(again);
            PressAndReleaseAt(c.x, c.y);
        }
        return measured;
    }

    QuorlinProcess app_;
    RecordingWindow target_{20, 20, 240, 160};
};

TEST_F(ActivityEndToEnd, ListsPressesAfterKeysAndCopiesClearsAndComesToTheFront) {
    StartApp();
    const HWND window = OpenActivity();
    ASSERT_TRUE(window) << "no Activity window";
    EXPECT_EQ(TextOf(window), L"Quorlin activity");
    ASSERT_TRUE(Press(window, L"C&lear"));  // the tray menu's own click

    std::vector<DWORD> measured;
    for (DWORD delay : {100, 150, 200, 800}) measured.push_back(ClickAfterKey(delay));
    target_.Clear();
    const auto rows = CopiedRows(window);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0], (std::vector<std::wstring>{L"Time", L"Button", L"After key (ms)", L"Result", L"Program",
                                                  L"Decided by"}));
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring me = path;
    me = me.substr(me.find_last_of(L"\\/") + 1);
    for (auto& c : me) c = towlower(c);
    for (std::size_t i = 0; i < 4; ++i) {
        const auto& row = rows[4 - i];  // newest first
        ASSERT_EQ(row.size(), 6u);
        EXPECT_EQ(row[1], L"Left");
        EXPECT_NEAR(std::stol(row[2]), static_cast<long>(measured[i]), 40) << "press " << i;
        EXPECT_EQ(row[3], i < 3 ? L"Blocked" : L"Passed") << "press " << i;
        EXPECT_EQ(row[4], me);
        EXPECT_EQ(row[5], L"Interval, 500 ms");
    }

    ASSERT_TRUE(Press(window, L"C&lear"));
    EXPECT_EQ(CopiedRows(window).size(), 1u) << "only the header after Clear";

    // A second choice of the item brings the same window to the front.
    SetForegroundWindow(target_.hwnd());
    PumpUntil([&] { return GetForegroundWindow() == target_.hwnd(); }, 1000);
    EXPECT_EQ(OpenActivity(), window);
    EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; }, 2000));

    // Closed and opened again, what was cleared stays gone (the tray's own click comes over 2 s
    // after the last key, so it is not listed either).
    ASSERT_TRUE(Press(window, L"C&lear"));
    PostMessageW(window, WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return TopLevelWindows(app_.Pid(), L"QuorlinActivity").empty(); }, 3000));
    WaitAfterKeys(2100);
    const HWND again = OpenActivity();
    ASSERT_TRUE(again);
    EXPECT_EQ(CopiedRows(again).size(), 1u);
}

TEST_F(ActivityEndToEnd, RepeatedPressesSuggestAnIntervalThatUseSets) {
    WriteDword(L"Visible", 1);
    StartApp();
    const HWND window = OpenActivity();
    ASSERT_TRUE(window);
    ASSERT_TRUE(Press(window, L"C&lear"));
    // Palms soon after a key, and presses a user repeats at once when they are swallowed.
    for (int i = 0; i < 17; ++i) ClickAfterKey(100);
    for (int i = 0; i < 3; ++i) ClickAfterKey(320, 400);
    const auto rows = CopiedRows(window);
    ASSERT_EQ(rows.size(), 1u + 17 + 6);
    for (std::size_t row = 1; row <= 6; row += 2) {
        EXPECT_EQ(rows[row][3], L"Passed");  // the repeat itself, newest first
        EXPECT_EQ(rows[row + 1][3], L"Blocked, repeated");
    }
    EXPECT_EQ(rows[7][3], L"Blocked");

    ASSERT_TRUE(Press(window, L"&Use 250 ms")) << "no suggestion of 250 ms";
    const HWND interval = FindChildStartingWith(app_.Window(), L"ComboBox", L"");
    EXPECT_TRUE(PumpUntil([&] { return TextOf(interval) == L"1/4 sec"; }, 2000)) << "the settings window shows it";
    target_.Clear();
    EXPECT_GE(ClickAfterKey(320), 300u);
    EXPECT_TRUE(PumpUntil([&] { return target_.Received(WM_LBUTTONDOWN); }, 2000)) << "320 ms passes 250 ms";
}

// The numbers of the report's "Input order:" line, in their order: keys and mice before, after, none.
std::vector<long> InputOrder(const std::wstring& report) {
    std::vector<long> numbers;
    const std::size_t at = report.find(L"\r\nInput order: ");
    if (at == std::wstring::npos) return numbers;
    std::wistringstream line(report.substr(at + 15, report.find(L"\r\n", at + 2) - at - 15));
    for (std::wstring word; line >> word;)
        if (!word.empty() && iswdigit(word[0])) numbers.push_back(std::stol(word));
    return numbers;
}

TEST_F(ActivityEndToEnd, DiagnosticsNameTheVersionAndCountTheInputOrder) {
    WriteDword(L"IgnoreExternalMouse", 1);
    WriteDword(L"IgnoreExternalKeyboard", 1);
    StartApp();
    const HWND window = OpenActivity();
    ASSERT_TRUE(window);
    const auto report = [&] {
        PumpFor(300);  // the last reports read
        return Press(window, L"Copy &diagnostics", true) ? Clipboard() : std::wstring();
    };
    const std::wstring before = report();
    const std::wstring tip = app_.TrayTip();  // "Quorlin (VERSION)" first
    const std::wstring version = tip.substr(tip.find(L'(') + 1, tip.find(L')') - tip.find(L'(') - 1);
    EXPECT_EQ(before.substr(0, before.find(L"\r\n")), L"Quorlin " + version + L" diagnostics");

    // Three letters and two clicks: six key events and four of the buttons (moves are not counted).
    const POINT c = target_.Center();
    SetForegroundWindow(target_.hwnd());
    PlacePointer(c.x, c.y);
    PumpFor(100);
    for (int i = 0; i < 3; ++i) TypeKeyNoted('A');
    for (int i = 0; i < 2; ++i)
        for (DWORD button : {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) MouseButton(button);
    const auto was = InputOrder(before), is = InputOrder(report());
    ASSERT_EQ(was.size(), 6u) << "no counts";
    ASSERT_EQ(is.size(), 6u);
    EXPECT_EQ((is[0] - was[0]) + (is[2] - was[2]) + (is[4] - was[4]), 6) << "key events";
    EXPECT_EQ((is[1] - was[1]) + (is[3] - was[3]) + (is[5] - was[5]), 4) << "mouse events";
}

}  // namespace
