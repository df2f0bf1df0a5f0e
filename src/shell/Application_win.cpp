#include "shell/Application_win.h"

#include "base/Messages.h"
#include "base/System_win.h"
#include "base/Text_win.h"
#include "base/resource.h"
#include "shell/Application.h"
#include "shell/WindowClass_win.h"

namespace quorlin {

namespace {

BOOL CALLBACK FindFrontWindow(HWND window, LPARAM lp) {
    auto& found = *reinterpret_cast<HWND*>(lp);
    // Enumerated from the top of the z-order; topmost ones are tips and balloons.
    if (window == found || !IsWindowVisible(window) || !IsWindowEnabled(window) ||
        (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST))
        return TRUE;
    found = window;
    return FALSE;
}

// The program's window in front that can take the input; null when there is none.
HWND FrontWindow(HWND applicationWindow) {
    HWND found = applicationWindow;
    EnumThreadWindows(GetCurrentThreadId(), FindFrontWindow, reinterpret_cast<LPARAM>(&found));
    return found == applicationWindow ? nullptr : found;
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM lp) {
    reinterpret_cast<std::vector<HWND>*>(lp)->push_back(window);
    return TRUE;
}

}  // namespace

TApplication& TApplication::Instance() {
    static TApplication app;
    return app;
}

LRESULT CALLBACK TApplication::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        // Closing the application means closing its main window; without one, ending the loop.
        TApplication& app = Instance();
        if (app.mainWindow_ && IsWindow(app.mainWindow_))
            PostMessageW(app.mainWindow_, WM_CLOSE, 0, 0);
        else
            app.Terminate();
        return 0;
    }
    if (msg == WM_END_INSTANCE) {
        Instance().EndAsSession();
        return 0;
    }
    if (msg == WM_ACTIVATE && LOWORD(wp) != WA_INACTIVE) {
        // The hidden window itself was activated (a second start does that): the activation goes
        // on to the program's window in front, the modal dialog while one runs. Posted, so as not
        // to switch windows in the middle of this activation.
        PostMessageW(hwnd, WM_ACTIVATE_FRONT, 0, 0);
    } else if (msg == WM_ACTIVATE_FRONT) {
        if (GetActiveWindow() == hwnd)
            if (HWND front = FrontWindow(hwnd)) SetForegroundWindow(front);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void TApplication::Initialize(HINSTANCE instance) {
    if (handle_) return;
    instance_ = instance ? instance : GetModuleHandleW(nullptr);
    if (title_.empty()) {
        // The executable's name without folder and extension until the program sets its title.
        const std::wstring path = RunningExePath();
        const std::wstring name = path.substr(path.find_last_of(L"\\/") + 1);
        title_ = name.substr(0, name.find_last_of(L'.'));
    }

    // A missing icon is tolerated: the windows then show the system's default.
    icon_.reset(static_cast<HICON>(LoadImageW(instance_, L"A", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));

    TWindowClass::Options options;
    options.icon = icon_.get();
    options.cursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass_ = TWindowClass::Acquire(kApplicationClassName, &TApplication::WindowProc, options);

    // Hidden and of no size: it exists to own the program's windows and to be found by class and text.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2, y = GetSystemMetrics(SM_CYSCREEN) / 2;
    handle_.reset(CreateWindowExW(WS_EX_TOOLWINDOW, kApplicationClassName, title_.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0,
                                  0, nullptr, nullptr, instance_, nullptr));
    if (handle_ && icon_) SendMessageW(handle_.get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_.get()));
}

std::wstring TApplication::Title() const {
    if (!handle_) return title_;
    const int n = GetWindowTextLengthW(handle_.get());
    std::wstring text(static_cast<std::size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(handle_.get(), text.data(), n + 1);
    text.resize(static_cast<std::size_t>(got > 0 ? got : 0));
    return text;
}

void TApplication::SetTitle(const std::wstring& title) {
    title_ = title;
    if (handle_) SetWindowTextW(handle_.get(), title.c_str());
}

void TApplication::Terminate() { PostQuitMessage(0); }

void TApplication::EndAsSession() {
    std::vector<HWND> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectWindow, reinterpret_cast<LPARAM>(&windows));
    // ENDSESSION_CLOSEAPP: what an installer sends to a program whose files it must replace.
    bool agreed = true;
    for (HWND window : windows)
        if (IsWindow(window) && !SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP)) agreed = false;
    for (HWND window : windows)
        if (IsWindow(window)) SendMessageW(window, WM_ENDSESSION, agreed, ENDSESSION_CLOSEAPP);
    if (agreed) Terminate();
}

void TApplication::BringToFront() {
    if (!handle_) return;
    HWND popup = GetLastActivePopup(handle_.get());
    if (popup && popup != handle_.get() && IsWindowVisible(popup) && IsWindowEnabled(popup))
        SetForegroundWindow(popup);
}

bool TApplication::ProcessMessage() {
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    HandleMessage(msg);
    return true;
}

void TApplication::HandleMessage(MSG& msg) {
    if (msg.message == WM_QUIT) {
        // The program's own quit is a thread message; one posted to a window came from elsewhere
        // (any program can post to the program's message-only windows) and ends nothing.
        if (msg.hwnd == nullptr) terminated_ = true;
        return;
    }
    bool handled = false;
    if (OnMessage) {
        // Copy the slot: a handler may replace it (a component leaving) while it runs.
        MessageEvent hook = OnMessage;
        hook(msg, handled);
    }
    if (!handled && !PreTranslate(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void TApplication::AddMessageFilter(TMessageFilter& filter) { filters_.push_back(&filter); }

void TApplication::RemoveMessageFilter(TMessageFilter& filter) {
    std::erase(filters_, &filter);
}

bool TApplication::PreTranslate(MSG& msg) {
    // Newest first; by index, because a filter may remove itself (its window closing) while it runs.
    for (std::size_t i = filters_.size(); i-- > 0;) {
        if (i < filters_.size() && filters_[i]->PreTranslateMessage(msg)) return true;
    }
    return false;
}

void TApplication::ProcessMessages() {
    while (!terminated_ && ProcessMessage()) {
    }
}

void TApplication::WaitMessage() { ::WaitMessage(); }

void TApplication::Run() {
    while (!terminated_) {
        try {
            // The same step as ProcessMessage, but waiting and taking in one call: every input
            // event of the desktop wakes this thread for the hooks, and under Wine a wake-up ends
            // in fewer calls to the server this way than with WaitMessage and PeekMessage.
            MSG msg;
            if (GetMessageW(&msg, nullptr, 0, 0) != -1) HandleMessage(msg);
        } catch (...) {
            HandleException();
        }
    }
}

int TApplication::RunModalLoop(HWND window, const int& modalResult) {
    while (modalResult == 0 && IsWindow(window)) {
        if (terminated_) {
            // The quit message was taken here; post it again for the loops outside this one.
            PostQuitMessage(0);
            return IDCANCEL;
        }
        try {
            if (!ProcessMessage()) WaitMessage();
        } catch (...) {
            HandleException();
        }
    }
    return modalResult != 0 ? modalResult : IDCANCEL;
}

void TApplication::ShowError(const std::wstring& text) {
    const std::wstring shown = ErrorBoxText(text);
    const std::wstring caption = Title();
    MessageBoxW(GetActiveWindow(), shown.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
}

namespace {

// The text of the error in flight; the string table's "unexpected error" for one that is no
// std::exception.
std::wstring ErrorInFlightText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return FromUtf8OrAnsi(e.what());
    } catch (...) {
        return LoadResString(IDS_UNEXPECTED_ERROR);
    }
}

}  // namespace

void TApplication::HandleException() noexcept {
    try {
        const std::exception_ptr error = std::current_exception();
        if (!error) return;
        try {
            std::rethrow_exception(error);
        } catch (const EAbort&) {
        } catch (...) {
            ShowError(ErrorInFlightText());
        }
    } catch (...) {
        // Reporting an error must never raise one.
    }
}

int TApplication::RunProgram(const std::function<void()>& start, const std::function<void()>& afterLoop) {
    try {
        start();
    } catch (...) {
        // Without its window (tray icon, controls) the program cannot run: say so once and end.
        try {
            std::wstring text = LoadResString(IDS_START_FAILED);
            const std::wstring reason = ErrorInFlightText();
            if (const auto at = text.find(L"%s"); at != std::wstring::npos)
                text.replace(at, 2, reason);
            else
                text = reason;
            ShowError(text);
        } catch (...) {
        }
        return 1;
    }
    Run();
    if (afterLoop) afterLoop();
    return 0;
}

}  // namespace quorlin
