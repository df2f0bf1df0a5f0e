// The application object's retrieval step, its message hook and the error path, on
// real windows and real message queues.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "MessageBoxWatcher.h"
#include "TestSupport.h"
#include "shell/Application_win.h"

using namespace quorlin;

namespace {

constexpr UINT kHandled = WM_APP + 1;
constexpr UINT kUnhandled = WM_APP + 2;

// A hidden window that records every WM_APP-range message its window procedure receives.
class MessageWindow {
public:
    MessageWindow() {
        static const wchar_t* kClass = L"QuorlinAppTestWindow";
        WNDCLASSW wc{};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = kClass;
        RegisterClassW(&wc);
        hwnd_.reset(CreateWindowExW(0, kClass, L"", WS_POPUP, 0, 0, 10, 10, TApplication::Instance().Handle(),
                                    nullptr, wc.hInstance, this));
    }
    HWND hwnd() const { return hwnd_.get(); }
    std::vector<UINT> received;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                              reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
        auto* self = reinterpret_cast<MessageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg >= WM_APP && msg < 0xC000) self->received.push_back(msg);
        if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    UniqueWindow hwnd_;
};

class ApplicationTest : public ::testing::Test {
protected:
    void SetUp() override {
        app().Initialize(GetModuleHandleW(nullptr));
        app().SetTitle(L"Quorlin");
        app().OnMessage = nullptr;
        ASSERT_FALSE(app().Terminated()) << "an earlier test ended the application";
    }
    void TearDown() override { app().OnMessage = nullptr; }
    static TApplication& app() { return TApplication::Instance(); }
};

TEST_F(ApplicationTest, ApplicationWindowIsAHiddenTopLevelTApplicationWindowWithTheTitle) {
    HWND h = app().Handle();
    ASSERT_TRUE(IsWindow(h));
    wchar_t cls[64] = {};
    GetClassNameW(h, cls, 64);
    EXPECT_STREQ(cls, L"TApplication");
    wchar_t text[64] = {};
    GetWindowTextW(h, text, 64);
    EXPECT_STREQ(text, L"Quorlin");
    EXPECT_FALSE(IsWindowVisible(h));
    EXPECT_EQ(GetAncestor(h, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetWindow(h, GW_OWNER), nullptr);
    EXPECT_TRUE(IsWindowUnicode(h));
    // A tool window, and never shown by the program: it gives no taskbar button.
    const LONG_PTR exStyle = GetWindowLongPtrW(h, GWL_EXSTYLE);
    EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW);
    EXPECT_FALSE(exStyle & WS_EX_APPWINDOW);
    // Another process finds it by class and text.
    EXPECT_EQ(FindWindowW(L"TApplication", L"Quorlin"), h);

    // The title is read back from the window's text.
    SetWindowTextW(h, L"Renamed");
    EXPECT_EQ(app().Title(), L"Renamed");
    app().SetTitle(L"Quorlin");
    EXPECT_EQ(app().Title(), L"Quorlin");

    // Initialize twice keeps the one window.
    app().Initialize(GetModuleHandleW(nullptr));
    EXPECT_EQ(app().Handle(), h);

    // The icon is the resource named "A" when the executable carries one, and nothing otherwise.
    const bool hasIcon = FindResourceW(GetModuleHandleW(nullptr), L"A", RT_GROUP_ICON) != nullptr;
    EXPECT_EQ(app().Icon() != nullptr, hasIcon);
}

TEST_F(ApplicationTest, HookDecidesWhichPostedMessagesReachTheirWindow) {
    MessageWindow w;
    std::vector<MSG> seen;
    std::vector<UINT> threadMessages;
    app().OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.message == kHandled || msg.message == kUnhandled) seen.push_back(msg);
        if (msg.hwnd == nullptr && msg.message >= WM_APP) threadMessages.push_back(msg.message);
        if (msg.message == kHandled) handled = true;
    };
    PostMessageW(w.hwnd(), kHandled, 11, 22);
    PostMessageW(w.hwnd(), kUnhandled, 33, 44);
    PostThreadMessageW(GetCurrentThreadId(), WM_APP + 5, 0, 0);
    app().ProcessMessages();

    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].hwnd, w.hwnd());
    EXPECT_EQ(seen[0].wParam, 11u);
    EXPECT_EQ(seen[0].lParam, 22);
    EXPECT_EQ(seen[1].message, kUnhandled);
    EXPECT_EQ(seen[1].wParam, 33u);
    EXPECT_EQ(w.received, std::vector<UINT>{kUnhandled}) << "the handled message must be dropped";
    EXPECT_EQ(threadMessages, std::vector<UINT>{WM_APP + 5}) << "thread messages pass the hook too";

    // Without a hook every message takes its normal way.
    app().OnMessage = nullptr;
    w.received.clear();
    PostMessageW(w.hwnd(), kHandled, 0, 0);
    app().ProcessMessages();
    EXPECT_EQ(w.received, std::vector<UINT>{kHandled});

    // Sent messages do not come through the queue and never meet the hook.
    bool hookSaw = false;
    app().OnMessage = [&](MSG& msg, bool&) { hookSaw |= msg.message == kUnhandled; };
    w.received.clear();
    SendMessageW(w.hwnd(), kUnhandled, 0, 0);
    app().ProcessMessages();
    EXPECT_FALSE(hookSaw);
    EXPECT_EQ(w.received, std::vector<UINT>{kUnhandled});
}

TEST_F(ApplicationTest, ProcessMessageReportsAnEmptyQueue) {
    app().ProcessMessages();
    EXPECT_FALSE(app().ProcessMessage());
    PostMessageW(app().Handle(), kUnhandled, 0, 0);
    EXPECT_TRUE(app().ProcessMessage());
    EXPECT_FALSE(app().ProcessMessage());
}

TEST_F(ApplicationTest, ModalLoopPassesTheHookAndEndsOnResultOrLostWindow) {
    MessageWindow dialog;
    int modalResult = 0;
    std::vector<UINT> hooked;
    app().OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.hwnd != dialog.hwnd()) return;
        hooked.push_back(msg.message);
        if (msg.message == kHandled) {
            handled = true;
            modalResult = IDYES;
        }
    };
    PostMessageW(dialog.hwnd(), kUnhandled, 0, 0);
    PostMessageW(dialog.hwnd(), kHandled, 0, 0);
    PostMessageW(dialog.hwnd(), kUnhandled + 10, 0, 0);  // after the result: stays queued
    EXPECT_EQ(app().RunModalLoop(dialog.hwnd(), modalResult), IDYES);
    EXPECT_EQ((std::vector<UINT>{kUnhandled, kHandled}), hooked);
    EXPECT_EQ(dialog.received, std::vector<UINT>{kUnhandled});
    app().ProcessMessages();
    EXPECT_EQ(dialog.received, (std::vector<UINT>{kUnhandled, kUnhandled + 10}));

    // A dialog destroyed by a handler ends the loop with Cancel.
    auto doomed = std::make_unique<MessageWindow>();
    HWND doomedHwnd = doomed->hwnd();
    int noResult = 0;
    app().OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.message == kHandled) {
            handled = true;
            doomed.reset();
        }
    };
    PostMessageW(doomedHwnd, kHandled, 0, 0);
    EXPECT_EQ(app().RunModalLoop(doomedHwnd, noResult), IDCANCEL);
    EXPECT_FALSE(IsWindow(doomedHwnd));
}

TEST_F(ApplicationTest, ErrorFromTheHookStopsThatMessageAndLeavesThePump) {
    MessageWindow w;
    app().OnMessage = [&](MSG& msg, bool&) {
        if (msg.message == kHandled) throw std::runtime_error("boom");
    };
    PostMessageW(w.hwnd(), kHandled, 0, 0);
    PostMessageW(w.hwnd(), kUnhandled, 0, 0);
    EXPECT_THROW(app().ProcessMessages(), std::runtime_error);
    EXPECT_TRUE(w.received.empty()) << "the failing message must not be dispatched";
    app().ProcessMessages();
    EXPECT_EQ(w.received, std::vector<UINT>{kUnhandled});
}

TEST_F(ApplicationTest, BringToFrontActivatesTheLastActiveUsablePopup) {
    // A visible window of the program, owned by the application window, and a stranger's window.
    testsupport::RecordingWindow stranger(500, 100, 200, 100, L"Stranger");
    UniqueWindow popup(CreateWindowExW(0, L"Static", L"Popup", WS_POPUP | WS_VISIBLE | WS_BORDER, 100, 100, 200, 100,
                                       app().Handle(), nullptr, GetModuleHandleW(nullptr), nullptr));
    ASSERT_TRUE(popup);
    SetForegroundWindow(popup.get());
    testsupport::PumpFor(100);
    ASSERT_EQ(GetLastActivePopup(app().Handle()), popup.get());
    SetForegroundWindow(stranger.hwnd());
    testsupport::PumpFor(100);
    ASSERT_EQ(GetForegroundWindow(), stranger.hwnd());

    app().BringToFront();
    testsupport::PumpFor(100);
    EXPECT_EQ(GetForegroundWindow(), popup.get());

    // A disabled popup is left where it is.
    SetForegroundWindow(stranger.hwnd());
    testsupport::PumpFor(100);
    EnableWindow(popup.get(), FALSE);
    app().BringToFront();
    testsupport::PumpFor(100);
    EXPECT_EQ(GetForegroundWindow(), stranger.hwnd());
}

TEST_F(ApplicationTest, MainWindowThatCannotBeMadeGivesOneErrorBoxAndExitCodeOne) {
    testsupport::MessageBoxWatcher watcher(nullptr);
    bool loopRan = false;
    app().OnMessage = [&](MSG&, bool&) { loopRan = true; };
    PostMessageW(app().Handle(), WM_NULL, 0, 0);
    const int code = app().RunProgram([] { throw std::runtime_error("TrayIcon.InsertToTray failed"); });
    EXPECT_EQ(code, 1);
    EXPECT_EQ(watcher.Seen(),
              std::vector<std::wstring>{L"Quorlin|The program could not start: TrayIcon.InsertToTray failed.|error icon"});
    EXPECT_FALSE(loopRan) << "no loop runs without the main window";
    MSG msg;
    PeekMessageW(&msg, app().Handle(), WM_NULL, WM_NULL, PM_REMOVE);
}

// Runs last: once the main loop has taken WM_QUIT the application stays terminated.
TEST_F(ApplicationTest, ZMainLoopShowsErrorsGoesOnAndEndsOnQuitFromAModalLoop) {
    MessageWindow mainWindow, dialog;
    app().SetMainWindow(mainWindow.hwnd());
    // Messages posted while the box is open would be dispatched by the box's own loop, past the
    // hook; so the next step is posted only once the box is gone.
    testsupport::MessageBoxWatcher watcher([w = mainWindow.hwnd()] { PostMessageW(w, WM_APP + 11, 0, 0); });

    std::vector<std::string> steps;
    int modalResult = 0;
    app().OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.hwnd != mainWindow.hwnd()) return;
        switch (msg.message) {
        case WM_APP + 10:
            steps.push_back(IsWindowVisible(mainWindow.hwnd()) ? "shown" : "hidden");
            throw std::runtime_error("Cannot do that");
        case WM_APP + 11:
            steps.push_back("abort");
            PostMessageW(mainWindow.hwnd(), kUnhandled, 0, 0);
            PostMessageW(mainWindow.hwnd(), WM_APP + 12, 0, 0);
            throw EAbort();
        case WM_APP + 12:
            steps.push_back("modal");
            handled = true;
            PostMessageW(dialog.hwnd(), kUnhandled, 0, 0);
            PostQuitMessage(0);
            steps.push_back("modal returned " + std::to_string(app().RunModalLoop(dialog.hwnd(), modalResult)));
            // The main loop must end without taking this one.
            PostMessageW(mainWindow.hwnd(), WM_APP + 13, 0, 0);
            break;
        case WM_APP + 13:
            steps.push_back("after quit");
            break;
        }
    };
    PostMessageW(mainWindow.hwnd(), WM_APP + 10, 0, 0);
    // A safety net so a faulty loop fails the test instead of hanging it.
    std::atomic<bool> done{false};
    std::thread failsafe([&done, tid = GetCurrentThreadId()] {
        for (int i = 0; i < 300 && !done; ++i) Sleep(100);
        if (!done) PostThreadMessageW(tid, WM_QUIT, 0, 0);
    });
    const DWORD start = GetTickCount();
    app().Run();
    const DWORD took = GetTickCount() - start;
    done = true;
    failsafe.join();

    EXPECT_TRUE(app().Terminated());
    EXPECT_LT(took, 20000u) << "the loop did not end on WM_QUIT";
    EXPECT_EQ(steps, (std::vector<std::string>{"hidden", "abort", "modal", "modal returned 2"}));
    // The error went to one message box: title as caption, "." added; EAbort showed nothing.
    EXPECT_EQ(watcher.Seen(), std::vector<std::wstring>{L"Quorlin|Cannot do that.|error icon"});
    // The loop went on after both errors.
    EXPECT_EQ(mainWindow.received, std::vector<UINT>{kUnhandled});
    // The modal loop dispatched the dialog's message, then took WM_QUIT and posted it again for
    // the loops outside it.
    EXPECT_EQ(dialog.received, std::vector<UINT>{kUnhandled});
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    app().SetMainWindow(nullptr);
}

}  // namespace
