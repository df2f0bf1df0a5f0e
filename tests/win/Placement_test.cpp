// Placement of real top-level windows on Wine's virtual desktop, and the shell opening addresses
// with a stand-in browser registered for http and https.
#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "TestSupport.h"
#include "shell/Placement_win.h"

using namespace quorlin;
using namespace testsupport;

namespace quorlin {
void PrintTo(const ScreenRect& r, std::ostream* os) { *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")"; }
}  // namespace quorlin

namespace {

class PlainWindow {
public:
    PlainWindow(int x, int y, int w, int h, bool visible = true, DWORD exStyle = WS_EX_TOOLWINDOW) {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuorlinPlacementTest";
        RegisterClassW(&wc);  // fails harmlessly when already registered
        hwnd_.reset(CreateWindowExW(exStyle, wc.lpszClassName, L"placement", WS_POPUP | (visible ? WS_VISIBLE : 0),
                                    x, y, w, h, nullptr, nullptr, wc.hInstance, nullptr));
    }
    HWND get() const { return hwnd_.get(); }
    RECT Rect() const {
        RECT r{};
        GetWindowRect(hwnd_.get(), &r);
        return r;
    }

private:
    UniqueWindow hwnd_;
};

::testing::AssertionResult At(const PlainWindow& w, int x, int y, int width, int height) {
    const RECT r = w.Rect();
    if (r.left == x && r.top == y && r.right - r.left == width && r.bottom - r.top == height)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "window is at (" << r.left << ", " << r.top << ") size " << r.right - r.left
                                         << "x" << r.bottom - r.top << ", expected (" << x << ", " << y << ") size "
                                         << width << "x" << height;
}

class Placement : public ::testing::Test {
protected:
    void SetUp() override {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved_, 0);
        // A primary work area that differs from the monitor's (Wine keeps the two apart), so the
        // tests see which of them each function uses.
        RECT wanted{0, 0, 1280, 984};
        SystemParametersInfoW(SPI_SETWORKAREA, 0, &wanted, 0);
        MONITORINFO info{};
        info.cbSize = sizeof info;
        const POINT origin{0, 0};
        GetMonitorInfoW(MonitorFromPoint(origin, MONITOR_DEFAULTTOPRIMARY), &info);
        work_ = {info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom};
    }
    void TearDown() override { SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved_, 0); }
    RECT saved_{};
    ScreenRect work_;  // the monitor's work area
};

}  // namespace

TEST_F(Placement, WorkAreaOfTheMonitorNearestTheWindow) {
    // Without a window: the primary work area as the system parameter gives it.
    RECT spi{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &spi, 0);
    EXPECT_EQ((ScreenRect{spi.left, spi.top, spi.right, spi.bottom}), MonitorWorkArea(nullptr));
    // With a window, even one mostly off screen: the work area of the monitor nearest to it.
    PlainWindow onScreen(100, 100, 300, 400);
    EXPECT_EQ(work_, MonitorWorkArea(onScreen.get()));
    PlainWindow offScreen(-5000, -4000, 300, 400, false);
    EXPECT_EQ(work_, MonitorWorkArea(offScreen.get()));
}

TEST_F(Placement, ClampMovesWindowsIntoTheWorkAreaKeepingTheirSize) {
    PlainWindow left(-5, 10, 300, 400);
    ClampToWorkArea(left.get());
    EXPECT_TRUE(At(left, 0, 10, 300, 400));

    PlainWindow low(1200, 900, 300, 400);
    ClampToWorkArea(low.get());
    EXPECT_TRUE(At(low, work_.Right - 300, work_.Bottom - 400, 300, 400));

    // Larger than the work area both ways: its top-left corner goes to the work area's.
    const int bigW = work_.Right - work_.Left + 100, bigH = work_.Bottom - work_.Top + 60;
    PlainWindow big(200, 150, bigW, bigH);
    ClampToWorkArea(big.get());
    EXPECT_TRUE(At(big, work_.Left, work_.Top, bigW, bigH));

    ClampToWorkArea(nullptr);  // nothing to move, nothing to fail
    CenterInWorkArea(nullptr);
    CenterOverControl(nullptr, left.get());
}

TEST_F(Placement, CentreInTheWorkArea) {
    PlainWindow w(3, 7, 301, 401);
    CenterInWorkArea(w.get());
    EXPECT_TRUE(At(w, work_.Left + (work_.Right - work_.Left - 301) / 2, work_.Top + (work_.Bottom - work_.Top - 401) / 2, 301, 401));
    // A hidden window is placed as well (the settings window is centred before it is first shown).
    PlainWindow hidden(0, 0, 200, 100, false);
    CenterInWorkArea(hidden.get());
    EXPECT_TRUE(At(hidden, work_.Left + (work_.Right - work_.Left - 200) / 2, work_.Top + (work_.Bottom - work_.Top - 100) / 2, 200, 100));
}

TEST_F(Placement, CentreOverAVisibleControlStaysOnItsMonitor) {
    PlainWindow main(400, 300, 308, 409);
    PlainWindow dialog(0, 0, 300, 200);
    CenterOverControl(dialog.get(), main.get());
    EXPECT_TRUE(At(dialog, 404, 404, 300, 200));

    // Main window near the right edge: the dialog is pulled left to stay wholly inside.
    SetWindowPos(main.get(), nullptr, work_.Right - 200, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    PlainWindow wide(0, 0, 400, 200);
    CenterOverControl(wide.get(), main.get());
    EXPECT_TRUE(At(wide, work_.Right - 400, 404, 400, 200));
}

TEST_F(Placement, CentreOverAHiddenOrMissingControlUsesTheWorkArea) {
    PlainWindow hiddenMain(900, 100, 308, 409, false);
    PlainWindow dialog(50, 60, 300, 200);
    const int cx = work_.Left + (work_.Right - work_.Left - 300) / 2;
    const int cy = work_.Top + (work_.Bottom - work_.Top - 200) / 2;
    CenterOverControl(dialog.get(), hiddenMain.get());
    EXPECT_TRUE(At(dialog, cx, cy, 300, 200));

    SetWindowPos(dialog.get(), nullptr, 10, 10, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterOverControl(dialog.get(), nullptr);
    EXPECT_TRUE(At(dialog, cx, cy, 300, 200));
}

TEST_F(Placement, NormalBoundsAreTheRestoredRectangleEvenWhileMaximized) {
    // Wine gives both kinds in screen coordinates; the work-area offset is tested natively.
    for (DWORD exStyle : {DWORD{WS_EX_TOOLWINDOW}, DWORD{0}}) {
        PlainWindow w(120, 80, 308, 409, true, exStyle);
        ShowWindow(w.get(), SW_MAXIMIZE);
        ASSERT_FALSE(At(w, 120, 80, 308, 409)) << "not maximized";
        EXPECT_EQ((ScreenRect{120, 80, 428, 489}), NormalBoundsOnScreen(w.get())) << exStyle;
    }
}

// ---- OpenUrlInBrowser through the real shell -------------------------------------------------

TEST(OpenUrlInBrowser, ShellOpensTheAddressWithTheSchemeRule) {
    const std::wstring record = TempFile(L"urls");
    ASSERT_TRUE(SetEnvironmentVariableW(L"QUORLIN_URL_RECORD", record.c_str()));
    const std::wstring command = L"\"" + ExeDir() + L"\\urlrecorder.exe\" \"%1\"";
    // Machine-wide: Wine's shell ignores per-user protocol handlers. The prefix is throwaway.
    for (const wchar_t* scheme : {L"http", L"https"}) ASSERT_TRUE(RegisterUrlHandler(HKEY_LOCAL_MACHINE, scheme, command));

    OpenUrlInBrowser(L"example.org");
    ASSERT_TRUE(PumpUntil([&] { return ReadFileText(record).find('\n') != std::string::npos; }, 15000))
        << "the stand-in browser was never started";
    OpenUrlInBrowser(L"https://x/y");
    ASSERT_TRUE(PumpUntil([&] { return ReadFileText(record) == "http://example.org\nhttps://x/y\n"; }, 15000))
        << "recorded: " << ReadFileText(record);
}
