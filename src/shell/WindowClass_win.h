// A window-class registration that lives as long as a window of the class: shared by the windows
// of one class, reported when the system refuses it, unregistered when the last holder lets go.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

namespace quorlin {

class TWindowClass {
public:
    struct Options {
        UINT style = 0;
        HCURSOR cursor = nullptr;
        HBRUSH background = nullptr;
        HICON icon = nullptr;
    };

    // The registration of the class named name, made now or shared with the windows that hold it
    // already (their options stand). Raises std::runtime_error when the system refuses the class.
    // The class is unregistered when the last holder lets go.
    static std::shared_ptr<const TWindowClass> Acquire(const wchar_t* name, WNDPROC proc, const Options& options);

    const wchar_t* Name() const { return name_.c_str(); }

    TWindowClass(std::wstring name, WNDPROC proc, const Options& options);
    ~TWindowClass();
    TWindowClass(const TWindowClass&) = delete;
    TWindowClass& operator=(const TWindowClass&) = delete;

private:
    std::wstring name_;
    HINSTANCE instance_;
};

}  // namespace quorlin
