// The application object: one per process, created by the program entry before the main window.
// It owns the hidden top-level application window (class "TApplication", text = title) that owns
// every window of the program, and the one message-retrieval step shared by the main loop, the
// modal loop and the message pump, which offers each message to the message hook first.
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/Unique_win.h"

namespace quorlin {

// Raised to end the handling of a message without any message box.
class EAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

// The window class of the application window, by which a running instance is found.
inline constexpr wchar_t kApplicationClassName[] = L"TApplication";

// A pre-translate filter: the program's windows register one for their key preview and dialog
// navigation (Tab, arrow keys, mnemonics). True when it consumed the message.
class TMessageFilter {
public:
    virtual bool PreTranslateMessage(MSG& msg) = 0;

protected:
    ~TMessageFilter() = default;
};

class TWindowClass;

class TApplication {
public:
    using MessageEvent = std::function<void(MSG& msg, bool& handled)>;

    // The process-wide application object.
    static TApplication& Instance();

    // Creates the application window, hidden and a tool window, so that the program never has a
    // taskbar button; safe to call more than once.
    void Initialize(HINSTANCE instance);
    HINSTANCE ModuleInstance() const { return instance_; }
    // The application window; null before Initialize.
    HWND Handle() const { return handle_.get(); }

    std::wstring Title() const;                 // read back from the application window's text
    void SetTitle(const std::wstring& title);
    HICON Icon() const { return icon_.get(); }  // the icon resource named "A"

    // The main window (shown/hidden with ShowWindow; null when there is none).
    HWND MainWindow() const { return mainWindow_; }
    void SetMainWindow(HWND window) { mainWindow_ = window; }

    void Terminate();                           // PostQuitMessage(0)
    // Ends the program as the end of the Windows session does: every top-level window of the
    // program is asked WM_QUERYENDSESSION (the main window saves the settings there) and told
    // WM_ENDSESSION; when none refused, the loop ends. Nothing is asked of the user.
    void EndAsSession();
    bool Terminated() const { return terminated_; }
    void BringToFront();

    // One retrieval step; false when the queue was empty. Sets Terminated on WM_QUIT.
    bool ProcessMessage();
    // The message pump: processes every pending message, then returns (at once after WM_QUIT).
    void ProcessMessages();
    // Waits for the next message without taking it.
    void WaitMessage();
    // The main loop: runs until WM_QUIT. It never shows a window by itself.
    void Run();
    // The modal loop: runs until *modalResult is non-zero, the window is gone, or WM_QUIT arrives
    // (then WM_QUIT is posted again so the main loop ends too). Returns *modalResult, or IDCANCEL
    // when the loop ended without a result. As in the main loop, an error from a handler is shown
    // and the loop goes on, so that a failing timer or key handler does not close the window.
    int RunModalLoop(HWND window, const int& modalResult);

    // Runs start (which makes the main window), the main loop, then afterLoop; 0. An error in start
    // is shown in one error box ("could not start" and its text); 1.
    int RunProgram(const std::function<void()>& start, const std::function<void()>& afterLoop = {});

    // Shows a text in the error box: title as caption, MB_ICONERROR, "." added by ErrorBoxText.
    void ShowError(const std::wstring& text);
    // For catch blocks (window procedures must not let an error unwind through the system): shows
    // the error in flight with ShowError, owned by the active window; EAbort and nothing in flight
    // show nothing.
    void HandleException() noexcept;

    // The application message hook: every message the retrieval step takes passes here before
    // dispatch; one that it marks handled is dropped.
    MessageEvent OnMessage;

    // Filters see what the hook left unhandled, newest first; what one consumes is not dispatched.
    // A filter stays registered until it is removed (at the latest by its destructor).
    void AddMessageFilter(TMessageFilter& filter);
    void RemoveMessageFilter(TMessageFilter& filter);

private:
    TApplication() = default;
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    bool PreTranslate(MSG& msg);
    // What ProcessMessage does with the message it took.
    void HandleMessage(MSG& msg);
    HINSTANCE instance_ = nullptr;
    std::wstring title_;                        // kept for the time before the window exists
    std::shared_ptr<const TWindowClass> windowClass_;
    UniqueWindow handle_;                       // after windowClass_: the window goes first
    UniqueIcon icon_;
    HWND mainWindow_ = nullptr;
    bool terminated_ = false;
    std::vector<TMessageFilter*> filters_;
};

}  // namespace quorlin
