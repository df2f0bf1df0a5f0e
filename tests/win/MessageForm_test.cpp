// The close question on real windows: what it is built of, the answer each key gives, its modal
// run, and a clipboard it cannot open. The dialog runs on the test's thread; a driver thread waits
// for it to be in front and types real keys.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "ControlHost.h"
#include "MessageBoxWatcher.h"
#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "base/resource.h"
#include "shell/MessageForm_win.h"

using namespace quorlin;
using namespace testsupport;

namespace {

// Screen rectangles of the dialog's buttons, of its icons (SS_ICON) or of its other static controls.
std::vector<RECT> Children(HWND dialog, const wchar_t* cls, bool icons = false) {
    std::vector<RECT> found;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(c, name, 32);
        const bool icon = (GetWindowLongW(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && name[0] == L'S';
        RECT r{};
        if (lstrcmpiW(name, cls) == 0 && icon == icons && GetWindowRect(c, &r)) found.push_back(r);
    }
    return found;
}

void Chord(WORD modifier, WORD key) {
    SendKey(modifier, false);
    TypeKey(key);
    SendKey(modifier, true);
}

class MessageFormTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        TApplication::Instance().Initialize(GetModuleHandleW(nullptr));
        TApplication::Instance().SetTitle(L"Quorlin");
    }

    // Runs show() here while drive(dialog) runs on a driver thread once the dialog is in front with a
    // focused button. A dialog still open some seconds later is closed, so that a test cannot hang,
    // and fails the test.
    int Drive(const std::function<int()>& show, const std::function<void(HWND)>& drive) {
        std::atomic<bool> done{false}, rescued{false};
        reached = false;
        std::thread driver([&, gui = GetCurrentThreadId()] {
            GUITHREADINFO info{sizeof info};
            for (int i = 0; i < 1000 && !reached; ++i) {
                HWND d = FindWindowW(L"TMessageForm", nullptr);
                if (d && GetForegroundWindow() == d && GetGUIThreadInfo(gui, &info) && info.hwndFocus)
                    reached = true, drive(d);
                else
                    Sleep(10);
            }
            // Closed after 5 s; should closing not work, the loop is ended after 10 s.
            for (int i = 0; !done; ++i, Sleep(50)) {
                if (i == 100) rescued = true, PostMessageW(FindWindowW(L"TMessageForm", nullptr), WM_CLOSE, 0, 0);
                if (i == 200) PostThreadMessageW(gui, WM_QUIT, 0, 0);
            }
        });
        struct Join {
            std::atomic<bool>& done;
            std::thread& driver;
            ~Join() { done = true, driver.join(); }
        };
        int result = 0;
        {
            const Join join{done, driver};
            result = show();
        }
        EXPECT_FALSE(rescued) << "the dialog did not end by itself";
        return result;
    }
    int Answer(const std::function<void(HWND)>& drive) {
        return Drive([&] { return AskYesNo(L"Go on?", L"Quorlin", nullptr, nullptr); }, drive);
    }
    // For the driver: whether the dialog is still there a moment later.
    static bool StillOpen(HWND dialog) { return Sleep(400), IsWindowVisible(dialog) != FALSE; }

    std::atomic<bool> reached{false};
};

// A visible form of the program, to own the dialog or to be active before it.
class PlainForm : public TForm {
public:
    explicit PlainForm(int x) : TForm(L"QuorlinMessageTestForm", 200, 120) {
        SetWindowPos(Handle(), nullptr, x, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        Show();
    }
};

TEST_F(MessageFormTest, BuiltFromTheMessageFontWrappingAtHalfTheScreenWithTheQuestionIcon) {
    std::wstring text;
    for (int i = 0; i < 20; ++i) text += L"Several words that make a long question. ";
    const TMessageForm form(text, L"Quorlin", nullptr);
    const HWND dialog = form.Handle();
    EXPECT_FALSE(IsWindowVisible(dialog));
    EXPECT_EQ(GetWindow(dialog, GW_OWNER), TApplication::Instance().Handle());
    EXPECT_EQ(GetWindowLongW(dialog, GWL_STYLE) & (WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX),
              WS_SYSMENU) << "only the close box, no resizing";
    EXPECT_EQ(form.Caption(), L"Quorlin");
    const std::vector<RECT> icon = Children(dialog, L"Static", true), buttons = Children(dialog, L"Button");
    ASSERT_EQ(icon.size(), 1u) << "the question icon stands in for a missing one";
    EXPECT_EQ(icon[0].right - icon[0].left, GetSystemMetrics(SM_CXICON));
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[1].right - buttons[1].left, buttons[0].right - buttons[0].left) << "one width for both";
    NONCLIENTMETRICSW metrics{sizeof metrics};
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    LOGFONTW font{};
    const HWND button = FindWindowExW(dialog, nullptr, L"Button", nullptr);
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName) << "the system's message font";

    const RECT message = Children(dialog, L"Static").at(0);
    const int half = GetSystemMetrics(SM_CXSCREEN) / 2;
    EXPECT_LE(message.right - message.left, half);
    EXPECT_GT(message.right - message.left, half * 3 / 4) << "the lines fill it";
    EXPECT_GT(message.bottom - message.top, 50) << "many lines";
    RECT client{};
    GetClientRect(dialog, &client);
    MapWindowPoints(dialog, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_GT(buttons[0].top, message.bottom);
    EXPECT_LE(std::abs((buttons[0].left - client.left) - (client.right - buttons[1].right)), 1) << "row centred";

    // A given 16-pixel icon instead of the question icon, and an owner.
    const UniqueIcon small(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_TRAY_ON), IMAGE_ICON, 16, 16, 0)));
    PlainForm owner(40);
    const TMessageForm given(L"T", L"Given", small.get(), owner.Handle());
    EXPECT_EQ(given.Caption(), L"Given");
    EXPECT_EQ(GetWindow(given.Handle(), GW_OWNER), owner.Handle());
    const std::vector<RECT> givenIcon = Children(given.Handle(), L"Static", true);
    EXPECT_TRUE(givenIcon.size() == 1 && givenIcon[0].right - givenIcon[0].left == 16);
}

TEST_F(MessageFormTest, KeysAndTheCloseBoxAnswer) {
    struct Case {
        const char* name;
        std::function<void(HWND)> keys;
        int result;
    };
    const std::vector<Case> cases = {
        {"No has the focus: Enter answers No", [](HWND) { TypeKey(VK_RETURN); }, IDNO},
        {"Enter follows the focus that Tab moves", [](HWND) { TypeKey(VK_TAB), TypeKey(VK_RETURN); }, IDYES},
        {"Esc clicks No", [](HWND) { TypeKey(VK_ESCAPE); }, IDNO},
        {"an accelerator alone", [](HWND) { TypeKey('Y'); }, IDYES},
        {"an accelerator with Alt", [](HWND) { Chord(VK_MENU, 'N'); }, IDNO},
        {"the close box gives Cancel", [](HWND d) { ClickAt(CloseButtonPoint(d)); }, IDCANCEL},
        {"Enter, Esc and letters with Ctrl or Shift do nothing",
         [](HWND d) {
             Chord(VK_SHIFT, VK_ESCAPE), Chord(VK_CONTROL, VK_RETURN), Chord(VK_CONTROL, 'N');
             if (StillOpen(d)) PostMessageW(d, WM_CLOSE, 0, 0);
         },
         IDCANCEL},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Answer(c.keys), c.result) << c.name;
        EXPECT_TRUE(reached) << c.name << ": the dialog did not come to the front";
        EXPECT_FALSE(FindWindowW(L"TMessageForm", nullptr)) << c.name << ": destroyed afterwards";
    }
}

TEST_F(MessageFormTest, RunsModallyOverItsOwnerAndReturnsToTheWindowActiveBefore) {
    PlainForm owner(40), other(400);
    SetForegroundWindow(other.Handle());
    ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == other.Handle(); }, 2000));
    std::atomic<bool> othersEnabled{true}, owned{false};
    const int result = Drive(
        [&] { return AskYesNo(L"?", L"Quorlin", nullptr, owner.Handle()); },
        [&](HWND dialog) {
            othersEnabled = IsWindowEnabled(owner.Handle()) || IsWindowEnabled(other.Handle());
            owned = GetWindow(dialog, GW_OWNER) == owner.Handle();
            // Next below the dialog, the owner is where the activation would go by itself.
            SetWindowPos(owner.Handle(), dialog, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
            TypeKey('Y');
        });
    EXPECT_EQ(result, IDYES);
    EXPECT_TRUE(owned);
    EXPECT_FALSE(othersEnabled) << "the program's other windows are disabled while it runs";
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()) && IsWindowEnabled(other.Handle()));
    EXPECT_EQ(GetActiveWindow(), other.Handle()) << "the window active before is active again";
}

TEST_F(MessageFormTest, AHeldClipboardGivesAnErrorBoxAndTheDialogStaysOpen) {
    MessageBoxWatcher watcher;
    std::atomic<bool> stillOpen{false};
    const int result = Answer([&](HWND dialog) {
        // The clipboard held by a window of this thread.
        UniqueWindow holder(CreateWindowExW(0, L"Static", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        OpenClipboard(holder.get());
        Chord(VK_CONTROL, 'C');
        for (int i = 0; i < 100 && watcher.Seen().empty(); ++i) Sleep(50);
        CloseClipboard();
        stillOpen = StillOpen(dialog);
        SetForegroundWindow(dialog);
        TypeKey(VK_ESCAPE);
    });
    EXPECT_EQ(watcher.Seen(), std::vector<std::wstring>{L"Quorlin|Cannot open clipboard.|error icon"});
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(result, IDNO) << "Esc still answers";
}

// Runs last: once the loop has taken WM_QUIT the application stays terminated.
TEST_F(MessageFormTest, ZTheApplicationEndingGivesCancelAndEndsTheOuterLoopsToo) {
    EXPECT_EQ(Answer([gui = GetCurrentThreadId()](HWND) { PostThreadMessageW(gui, WM_QUIT, 0, 0); }),
              IDCANCEL);
    MSG quit;
    EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "posted again for the outer loops";
}

}  // namespace
