// The real tray icon in a separate process (trayapp.exe) against Wine's real taskbar: what the
// notification area shows is read from outside, input comes through SendInput.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "TestSupport.h"
#include "TrayProbe.h"

using namespace testsupport;

namespace {

// The first icon of the notification area.
constexpr int kIconX = 1270, kIconY = 1014;
const std::wstring kTip = L"Quorlin";

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

bool IsRed(COLORREF c) { return GetRValue(c) > 200 && GetGValue(c) < 60 && GetBValue(c) < 60; }
bool IsGreen(COLORREF c) { return GetGValue(c) > 200 && GetRValue(c) < 60 && GetBValue(c) < 60; }

class TrayIconEndToEnd : public ::testing::Test {
protected:
    void StartApp(const std::wstring& args = L"") {
        log_ = TempFile(L"trayapp");
        proc_ = Start(L"trayapp.exe", L"\"" + log_ + L"\" " + args);
        ASSERT_TRUE(proc_.process) << "trayapp.exe did not start";
        ASSERT_TRUE(PumpUntil([&] { return Log().find("ready") != std::string::npos; }, 15000)) << Log();
        form_ = FindWindowW(L"TTrayAppForm", nullptr);
        trayWindow_ = FindWindowW(L"QuorlinTrayIconWindow", nullptr);
        ASSERT_TRUE(form_ && trayWindow_) << Log();
    }
    void TearDown() override {
        if (form_ && IsWindow(form_)) Send(8, L"");
        if (proc_.process && proc_.Wait(5000) == STILL_ACTIVE) proc_.Kill();
        // Leave no menu or balloon behind for the next test.
        if (HWND menu = VisibleMenu()) {
            TypeKey(VK_ESCAPE);
            PumpFor(200);
        }
    }
    std::string Log() const { return ReadFileText(log_); }
    int Count(const std::string& line) const {
        const std::string log = "\n" + Log();
        int n = 0;
        for (std::size_t at = log.find("\n" + line + "\n"); at != std::string::npos;
             at = log.find("\n" + line + "\n", at + 1))
            ++n;
        return n;
    }
    bool Logged(const std::string& line) const { return Count(line) > 0; }
    // One command to the program; returns when it has run.
    void Send(ULONG_PTR command, const std::wstring& arg) {
        COPYDATASTRUCT cds{command, static_cast<DWORD>(arg.size() * sizeof(wchar_t)), const_cast<wchar_t*>(arg.data())};
        DWORD_PTR result = 0;
        SendMessageTimeoutW(form_, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_ABORTIFHUNG, 5000, &result);
    }
    bool TipShown(const std::wstring& tip, DWORD ms = 5000) {
        return PumpUntil([&] { return CountToolsWithText(tip) == 1; }, ms);
    }
    std::string ToolsText() {
        std::string s;
        for (const TrayTool& t : TrayTools())
            s += "[" + Narrow(t.text) + "] at " + std::to_string(t.rect.left) + "," + std::to_string(t.rect.top) + "\n";
        return s;
    }

    std::wstring log_;
    Process proc_;
    HWND form_ = nullptr;
    HWND trayWindow_ = nullptr;
};

TEST_F(TrayIconEndToEnd, IconAppearsWithTipAndImageAndLongTipsAreCut) {
    StartApp();
    EXPECT_TRUE(TipShown(kTip)) << ToolsText();
    // Setting tip and image before the icon existed was refused by the shell without harm.
    EXPECT_TRUE(Logged("update-before-add=0")) << Log();
    EXPECT_TRUE(Logged("visible=1")) << Log();
    EXPECT_FALSE(IsWindowVisible(form_));
    EXPECT_TRUE(PumpUntil([&] { return IsRed(ScreenPixel(kIconX, kIconY)); }, 3000))
        << std::hex << ScreenPixel(kIconX, kIconY);

    // 200 characters arrive as the first 127.
    std::wstring longTip;
    for (int i = 0; i < 200; ++i) longTip += static_cast<wchar_t>(L'a' + i % 26);
    Send(1, longTip);
    EXPECT_TRUE(TipShown(longTip.substr(0, 127))) << ToolsText();

    // Several lines and text outside the ANSI code page pass unchanged.
    const std::wstring lines = L"Quorlin 1.0\nBlocker: On \u03A9\u03BC\u03AD\u03B3\u03B1 \u4E2D\u6587";
    Send(1, lines);
    EXPECT_TRUE(TipShown(lines)) << ToolsText();

    // A new image replaces the old one; UpdateIcon sends both again without adding a second icon.
    Send(2, L"green");
    EXPECT_TRUE(PumpUntil([&] { return IsGreen(ScreenPixel(kIconX, kIconY)); }, 3000));
    Send(5, L"");
    EXPECT_TRUE(PumpUntil([&] { return Logged("update=1"); }, 2000)) << Log();
    PumpFor(300);
    EXPECT_EQ(CountToolsWithText(lines), 1) << ToolsText();

    // Closing the program removes the icon.
    Send(8, L"");
    EXPECT_EQ(proc_.Wait(5000), 0u);
    EXPECT_TRUE(PumpUntil([&] { return CountToolsWithText(lines) == 0; }, 3000)) << ToolsText();
}

TEST_F(TrayIconEndToEnd, TaskbarCreatedBringsBackTheCurrentImageAndTip) {
    StartApp();
    ASSERT_TRUE(TipShown(kTip)) << ToolsText();
    Send(1, L"Current tip");
    Send(2, L"green");
    ASSERT_TRUE(TipShown(L"Current tip")) << ToolsText();

    // The shell forgets the icon, as a restarted shell would.
    NOTIFYICONDATAW nid{};
    nid.cbSize = sizeof nid;
    nid.hWnd = trayWindow_;
    nid.uID = 0;
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
    ASSERT_TRUE(PumpUntil([&] { return CountToolsWithText(L"Current tip") == 0; }, 3000)) << ToolsText();

    PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    EXPECT_TRUE(TipShown(L"Current tip")) << ToolsText();
    EXPECT_TRUE(PumpUntil([&] { return IsGreen(ScreenPixel(kIconX, kIconY)); }, 3000))
        << std::hex << ScreenPixel(kIconX, kIconY);

    // The message while the shell still holds the icon: still one icon, and the hidden main
    // window stays hidden.
    SendMessageW(trayWindow_, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
    PumpFor(300);
    EXPECT_EQ(CountToolsWithText(L"Current tip"), 1) << ToolsText();
    EXPECT_FALSE(IsWindowVisible(form_));
}

TEST_F(TrayIconEndToEnd, RightClickOpensTheMenuAtThePointerAndPostsNullAfterIt) {
    StartApp();
    ASSERT_TRUE(TipShown(kTip)) << ToolsText();
    MoveTo(kIconX, kIconY);
    PumpFor(300);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(PumpUntil([] { return VisibleMenu() != nullptr; }, 3000)) << Log();
    RECT r{};
    GetWindowRect(VisibleMenu(), &r);
    // Opened at the pointer: the system moves it into the screen (Wine: above the taskbar),
    // so the pointer's column lies within the menu and its row at most a taskbar away.
    EXPECT_TRUE(r.left <= kIconX && kIconX <= r.right && r.top - 20 <= kIconY && kIconY <= r.bottom + 20)
        << r.left << "," << r.top << "-" << r.right << "," << r.bottom;
    EXPECT_TRUE(Logged("popup component=tray")) << Log();
    EXPECT_FALSE(Logged("wm_null")) << "posted only after the menu has closed\n" << Log();
    EXPECT_EQ(GetForegroundWindow(), form_);

    TypeKey(VK_ESCAPE);
    EXPECT_TRUE(PumpUntil([] { return VisibleMenu() == nullptr; }, 3000));
    EXPECT_TRUE(PumpUntil([&] { return Logged("wm_null"); }, 3000)) << Log();
    const std::string log = Log();
    EXPECT_LT(log.find("menu-closed"), log.find("wm_null")) << log;
    EXPECT_EQ(log.find("item:"), std::string::npos) << "Escape chooses nothing\n" << log;

    // Choosing an item by its letter runs that item once, after the menu has gone.
    PumpFor(600);
    MouseButton(MOUSEEVENTF_RIGHTDOWN);
    MouseButton(MOUSEEVENTF_RIGHTUP);
    ASSERT_TRUE(PumpUntil([] { return VisibleMenu() != nullptr; }, 3000)) << Log();
    TypeKey('B');
    EXPECT_TRUE(PumpUntil([&] { return Logged("item:Blocker"); }, 3000)) << Log();
    EXPECT_TRUE(PumpUntil([&] { return Count("wm_null") == 2; }, 3000)) << Log();
    EXPECT_EQ(Count("item:Blocker"), 1) << Log();
    EXPECT_EQ(Count("click"), 0) << "right clicks raise no click\n" << Log();
}

TEST_F(TrayIconEndToEnd, DoubleClickRaisesOneClickAndRunsTheDefaultItemOnce) {
    StartApp();
    ASSERT_TRUE(TipShown(kTip)) << ToolsText();
    MoveTo(kIconX, kIconY);
    PumpFor(300);
    for (int i = 0; i < 2; ++i) {
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MouseButton(MOUSEEVENTF_LEFTUP);
    }
    EXPECT_TRUE(PumpUntil([&] { return Logged("dblclick"); }, 3000)) << Log();
    PumpFor(700);
    EXPECT_EQ(Count("click"), 1) << Log();
    EXPECT_EQ(Count("item:Settings"), 1) << Log();
    EXPECT_EQ(Count("dblclick"), 1) << Log();
    const std::string log = Log();
    EXPECT_LT(log.find("\nclick"), log.find("item:Settings")) << log;
    EXPECT_LT(log.find("item:Settings"), log.find("dblclick")) << log;
    EXPECT_EQ(VisibleMenu(), nullptr) << "a double click opens no menu";

    // A single click raises one more click and nothing else.
    PumpFor(600);
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return Count("click") == 2; }, 3000)) << Log();
    PumpFor(700);
    EXPECT_EQ(Count("item:Settings"), 1) << Log();
}

TEST_F(TrayIconEndToEnd, BalloonShowsItsTextCutAndCanBeRemoved) {
    StartApp();
    ASSERT_TRUE(TipShown(kTip)) << ToolsText();
    Send(4, L"Blocker is On");
    EXPECT_TRUE(Logged("balloon=1")) << Log();
    ASSERT_TRUE(PumpUntil([] { return !VisibleBalloonTexts().empty(); }, 6000));
    EXPECT_EQ(VisibleBalloonTexts(), std::vector<std::wstring>{L"Blocker is On"});
    // The balloon leaves the tip alone (it was sent with NIF_INFO only).
    EXPECT_EQ(CountToolsWithText(kTip), 1) << ToolsText();

    // An empty text takes the balloon away long before its time-out.
    Send(7, L"");
    EXPECT_TRUE(Logged("remove-balloon=1")) << Log();
    EXPECT_TRUE(PumpUntil([] { return VisibleBalloonTexts().empty(); }, 1500));

    // 300 characters arrive as the first 255.
    std::wstring text;
    for (int i = 0; i < 300; ++i) text += static_cast<wchar_t>(L'A' + i % 26);
    Send(4, text);
    ASSERT_TRUE(PumpUntil([] { return !VisibleBalloonTexts().empty(); }, 6000));
    EXPECT_EQ(VisibleBalloonTexts(), std::vector<std::wstring>{text.substr(0, 255)});
}

TEST_F(TrayIconEndToEnd, BalloonWithoutIconIsRefused) {
    StartApp(L"show");
    Send(4, L"Nobody sees this");
    EXPECT_TRUE(Logged("balloon=0")) << Log();
    PumpFor(3000);
    EXPECT_TRUE(VisibleBalloonTexts().empty());
}

}  // namespace
