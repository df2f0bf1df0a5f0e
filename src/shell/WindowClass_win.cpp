#include "shell/WindowClass_win.h"

#include <map>

#include <stdexcept>

namespace quorlin {

TWindowClass::TWindowClass(std::wstring name, WNDPROC proc, const Options& options)
    : name_(std::move(name)), instance_(GetModuleHandleW(nullptr)) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = options.style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance_;
    wc.hIcon = options.icon;
    wc.hCursor = options.cursor;
    wc.hbrBackground = options.background;
    wc.lpszClassName = name_.c_str();
    if (!RegisterClassExW(&wc))
        throw std::runtime_error("cannot register the window class (error " + std::to_string(GetLastError()) + ")");
}

TWindowClass::~TWindowClass() { UnregisterClassW(name_.c_str(), instance_); }

std::shared_ptr<const TWindowClass> TWindowClass::Acquire(const wchar_t* name, WNDPROC proc, const Options& options) {
    // GUI thread only, like every window of the program.
    static std::map<std::wstring, std::weak_ptr<const TWindowClass>, std::less<>> registered;
    auto& slot = registered[name];
    if (auto existing = slot.lock()) return existing;
    auto made = std::make_shared<const TWindowClass>(name, proc, options);
    slot = made;
    return made;
}

}  // namespace quorlin
