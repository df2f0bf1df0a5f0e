#include "shell/Window_win.h"

#include <stdexcept>
#include <string>

#include "shell/Application_win.h"

namespace quorlin {

void ReportHandlerError() noexcept { TApplication::Instance().HandleException(); }

TWindow::~TWindow() {
    if (handle_) SetWindowLongPtrW(handle_.get(), GWLP_USERDATA, 0);
    handle_.reset();
}

void TWindow::CreateHandle(const wchar_t* className, const TWindowClass::Options& options, DWORD exStyle,
                           DWORD style, int x, int y, int width, int height, HWND parent) {
    class_ = TWindowClass::Acquire(className, &TWindow::StaticWndProc, options);
    // WM_NCCREATE stores the handle in handle_.
    CreateWindowExW(exStyle, className, L"", style, x, y, width, height, parent, nullptr, GetModuleHandleW(nullptr),
                    this);
    if (!handle_)
        throw std::runtime_error("cannot create a window (error " + std::to_string(GetLastError()) + ")");
}

LRESULT TWindow::WndProc(UINT msg, WPARAM wp, LPARAM lp) { return DefWindowProcW(handle_.get(), msg, wp, lp); }

LRESULT CALLBACK TWindow::StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* self = static_cast<TWindow*>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams);
        if (self) {
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
            self->handle_.reset(hwnd);
        }
    }
    // Only windows of TWindow's classes come here, so their user data is always a TWindow.
    auto* self = reinterpret_cast<TWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        // Destroyed from outside (with its owner, say): the object must not destroy it again.
        if (self && self->handle_.get() == hwnd) (void)self->handle_.release();
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    if (!self || self->handle_.get() != hwnd) return DefWindowProcW(hwnd, msg, wp, lp);
    return Guarded([&] { return self->WndProc(msg, wp, lp); });
}

}  // namespace quorlin
