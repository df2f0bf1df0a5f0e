// One move-only owner for every kind of system handle.
#pragma once
#include <windows.h>
#include <utility>

namespace quorlin {

// Close is a stateless function object; Invalid is the "no handle" value of H.
template <typename H, typename Close, auto Invalid = H{}>
class Unique {
public:
    Unique() noexcept = default;
    explicit Unique(H h) noexcept : h_(h) {}
    Unique(Unique&& other) noexcept : h_(other.release()) {}
    Unique& operator=(Unique&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    Unique(const Unique&) = delete;
    Unique& operator=(const Unique&) = delete;
    ~Unique() { reset(); }

    H get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != H(Invalid); }

    // Closing must not disturb the error code a caller is about to read.
    void reset(H h = H(Invalid)) noexcept {
        if (h_ != H(Invalid)) {
            const DWORD err = GetLastError();
            Close{}(h_);
            SetLastError(err);
        }
        h_ = h;
    }
    [[nodiscard]] H release() noexcept { return std::exchange(h_, H(Invalid)); }
    // For out-parameters: frees what is held and hands out the slot.
    H* put() noexcept {
        reset();
        return &h_;
    }

private:
    H h_ = H(Invalid);
};

struct CloseHandleFn { void operator()(HANDLE h) const noexcept { ::CloseHandle(h); } };
struct RegCloseKeyFn { void operator()(HKEY h) const noexcept { ::RegCloseKey(h); } };
struct DestroyIconFn { void operator()(HICON h) const noexcept { ::DestroyIcon(h); } };
struct DestroyMenuFn { void operator()(HMENU h) const noexcept { ::DestroyMenu(h); } };
struct DestroyWindowFn { void operator()(HWND h) const noexcept { ::DestroyWindow(h); } };
struct DeleteObjectFn { void operator()(HGDIOBJ h) const noexcept { ::DeleteObject(h); } };
struct UnhookFn { void operator()(HHOOK h) const noexcept { ::UnhookWindowsHookEx(h); } };
struct UnhookWinEventFn { void operator()(HWINEVENTHOOK h) const noexcept { ::UnhookWinEvent(h); } };
struct FreeLibraryFn { void operator()(HMODULE h) const noexcept { ::FreeLibrary(h); } };
struct GlobalFreeFn { void operator()(HGLOBAL h) const noexcept { ::GlobalFree(h); } };

using UniqueHandle = Unique<HANDLE, CloseHandleFn>;
using UniqueKey = Unique<HKEY, RegCloseKeyFn>;
using UniqueIcon = Unique<HICON, DestroyIconFn>;
using UniqueMenu = Unique<HMENU, DestroyMenuFn>;
using UniqueWindow = Unique<HWND, DestroyWindowFn>;
using UniqueGdiObject = Unique<HGDIOBJ, DeleteObjectFn>;
using UniqueHook = Unique<HHOOK, UnhookFn>;
using UniqueWinEventHook = Unique<HWINEVENTHOOK, UnhookWinEventFn>;
using UniqueModule = Unique<HMODULE, FreeLibraryFn>;
using UniqueGlobal = Unique<HGLOBAL, GlobalFreeFn>;

}  // namespace quorlin
