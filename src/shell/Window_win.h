// The one window base of the program: a window procedure that binds the window to its object at
// WM_NCCREATE and runs every handler under the application's error handling. Forms, the tray icon's window,
// timers and menus derive from TWindow; control subclassing uses Guarded.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "base/Unique_win.h"
#include "shell/WindowClass_win.h"

namespace quorlin {

// Shows an error in flight in the application's error box; for catch blocks of window procedures.
void ReportHandlerError() noexcept;

// Runs a message handler so that no error unwinds through the system's frames: an error gives the
// application's error box and the message the answer onError; the message loop goes on.
template <typename F>
LRESULT Guarded(F&& handler, LRESULT onError = 0) noexcept {
    try {
        return handler();
    } catch (...) {
        ReportHandlerError();
        return onError;
    }
}

class TWindow {
public:
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;
    // Destroys the window; messages it gets while going no longer reach the object.
    virtual ~TWindow();

    HWND Handle() const { return handle_.get(); }

protected:
    TWindow() = default;
    // Registers (or shares) the class and creates the window bound to this object. Raises
    // std::runtime_error when the class or the window cannot be had.
    void CreateHandle(const wchar_t* className, const TWindowClass::Options& options, DWORD exStyle, DWORD style,
                      int x, int y, int width, int height, HWND parent);
    // Every message of the window, errors guarded by the caller; the default is DefWindowProcW.
    virtual LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp);

private:
    static LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    std::shared_ptr<const TWindowClass> class_;
    UniqueWindow handle_;  // after class_: the window goes before its class
};

}  // namespace quorlin
