// The window base: class registrations that report refusal and live as long as their windows,
// handler errors that end in one error box each while the loop goes on, and key messages that
// reach a form's key preview only when they are meant for the form.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "MessageBoxWatcher.h"
#include "TestSupport.h"
#include "shell/Controls_win.h"
#include "shell/Form_win.h"
#include "shell/Timer_win.h"
#include "shell/TrayIcon_win.h"

using namespace quorlin;

namespace {

constexpr UINT kThrow = WM_APP + 1;
constexpr UINT kAlive = WM_APP + 2;

class TestForm : public TForm {
public:
    TestForm() : TForm(L"QuorlinTestForm", 200, 100) {}
    std::vector<WORD> keys;
    int alive = 0;

protected:
    void FormKeyDown(WORD& key, bool, bool, bool) override { keys.push_back(key); }
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override {
        if (msg == kThrow) throw std::runtime_error("form failed");
        if (msg == kAlive) ++alive;
        return TForm::WndProc(msg, wp, lp);
    }
};

class WindowBase : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TApplication::Instance().Initialize(GetModuleHandleW(nullptr));
        TApplication::Instance().SetTitle(L"Quorlin");
    }
    static void Pump(DWORD ms) {
        const DWORD start = GetTickCount();
        while (GetTickCount() - start < ms) {
            TApplication::Instance().ProcessMessages();
            Sleep(5);
        }
    }
};

TEST_F(WindowBase, ClassRegistrationIsSharedReportsRefusalAndEndsWithItsLastHolder) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW taken{};
    taken.lpfnWndProc = DefWindowProcW;
    taken.hInstance = instance;
    taken.lpszClassName = L"QuorlinTakenClass";
    ASSERT_TRUE(RegisterClassW(&taken));
    EXPECT_THROW(TWindowClass::Acquire(L"QuorlinTakenClass", DefWindowProcW, {}), std::runtime_error);
    UnregisterClassW(L"QuorlinTakenClass", instance);

    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    {
        const auto first = TWindowClass::Acquire(L"QuorlinSharedClass", DefWindowProcW, {});
        const auto second = TWindowClass::Acquire(L"QuorlinSharedClass", DefWindowProcW, {});
        EXPECT_EQ(first, second);
        EXPECT_TRUE(GetClassInfoExW(instance, L"QuorlinSharedClass", &info));
    }
    EXPECT_FALSE(GetClassInfoExW(instance, L"QuorlinSharedClass", &info)) << "still registered";
}

TEST_F(WindowBase, EachFailingHandlerGivesOneErrorBoxAndTheLoopGoesOn) {
    testsupport::MessageBoxWatcher watcher;
    TestForm form;
    TTimer timer(20);
    timer.SetEnabled(true);
    timer.OnTimer = [&timer] {
        timer.SetEnabled(false);
        throw std::runtime_error("timer failed");
    };
    TTrayIcon tray(form.Handle());
    tray.OnClick = [] { throw std::runtime_error("tray failed"); };
    TEdit edit(form.Handle(), {10, 10, 100, 20});
    edit.OnKeyDown = [](WORD&) { throw std::runtime_error("edit failed"); };

    PostMessageW(form.Handle(), kThrow, 0, 0);
    PostMessageW(tray.WindowHandle(), WM_TRAY_CALLBACK, 0, WM_LBUTTONDOWN);
    PostMessageW(tray.WindowHandle(), WM_TRAY_CALLBACK, 0, WM_LBUTTONUP);
    PostMessageW(edit.Handle(), WM_KEYDOWN, 'A', 0);
    Pump(1000);
    PostMessageW(form.Handle(), kAlive, 0, 0);
    Pump(100);

    std::vector<std::wstring> seen = watcher.Seen();
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (std::vector<std::wstring>{
                        L"Quorlin|edit failed.|error icon", L"Quorlin|form failed.|error icon",
                        L"Quorlin|timer failed.|error icon", L"Quorlin|tray failed.|error icon"}));
    EXPECT_EQ(form.alive, 1);
    EXPECT_FALSE(TApplication::Instance().Terminated());
}

TEST_F(WindowBase, KeyPreviewSeesOnlyKeysMeantForTheForm) {
    TestForm form;
    TTimer timer(0);
    TTrayIcon tray(form.Handle());
    // Keys posted to the form's helper windows are not the form's: its preview must not see them.
    PostMessageW(timer.WindowHandle(), WM_KEYDOWN, VK_F5, 0);
    PostMessageW(tray.WindowHandle(), WM_KEYDOWN, VK_F6, 0);
    Pump(50);
    EXPECT_TRUE(form.keys.empty());
    PostMessageW(form.Handle(), WM_KEYDOWN, VK_F7, 0);
    Pump(50);
    EXPECT_EQ(form.keys, std::vector<WORD>{VK_F7});
}

}  // namespace
