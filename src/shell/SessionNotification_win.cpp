#include "shell/SessionNotification_win.h"

#include <wtsapi32.h>

#include "base/System_win.h"

namespace quorlin {

namespace {

struct WtsApi {
    decltype(&WTSRegisterSessionNotification) Register = nullptr;
    decltype(&WTSUnRegisterSessionNotification) Unregister = nullptr;
};

// Loaded once and kept: the registration must be undone through the same DLL.
const WtsApi& Api() {
    static const WtsApi api = [] {
        WtsApi a;
        if (HMODULE m = LoadSystemLibrary(L"wtsapi32.dll")) {
            a.Register = GetProc<decltype(a.Register)>(m, "WTSRegisterSessionNotification");
            a.Unregister = GetProc<decltype(a.Unregister)>(m, "WTSUnRegisterSessionNotification");
        }
        return a;
    }();
    return api;
}

}  // namespace

TSessionNotification::TSessionNotification(HWND window) : window_(window) {
    const WtsApi& api = Api();
    registered_ = window && api.Register && api.Unregister && api.Register(window, NOTIFY_FOR_THIS_SESSION);
}

TSessionNotification::~TSessionNotification() {
    if (registered_) Api().Unregister(window_);
}

}  // namespace quorlin
