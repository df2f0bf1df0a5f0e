#include "shell/OneInstance_win.h"

#include "shell/Application_win.h"
#include "base/System_win.h"
#include "base/Unique_win.h"

namespace quorlin {

namespace {

// The instance mutex of the last check, process-wide. At program end the ownership is given
// back before the handle is closed, so the next instance does not meet an abandoned mutex.
struct InstanceMutex {
    HANDLE handle = nullptr;
    std::wstring name;
    bool owned = false;  // this process's GUI thread acquired it in a check

    InstanceMutex() = default;
    InstanceMutex(const InstanceMutex&) = delete;
    InstanceMutex& operator=(const InstanceMutex&) = delete;
    ~InstanceMutex() { Reset(); }

    void Reset() {
        if (!handle) return;
        if (owned) ReleaseMutex(handle);
        CloseHandle(handle);
        handle = nullptr;
        owned = false;
    }
};

InstanceMutex& TheInstanceMutex() {
    static InstanceMutex mutex;
    return mutex;
}

// True when this thread already owns the named instance mutex. Checked before the critical
// section: a running instance that re-checks while another process is starting must not take
// that process's critical section for a rival instance and end itself.
bool AlreadyOwned(const std::wstring& name) {
    InstanceMutex& m = TheInstanceMutex();
    if (!m.handle || !m.owned || m.name != name) return false;
    const DWORD wait = WaitForSingleObject(m.handle, 0);
    if (wait != WAIT_OBJECT_0 && wait != WAIT_ABANDONED) return false;  // another thread checks
    ReleaseMutex(m.handle);  // keep the recursion count at one
    return true;
}

}  // namespace

std::wstring CurrentUserName() {
    wchar_t name[261] = {};
    DWORD size = 261;
    if (!GetUserNameW(name, &size)) return {};
    return name;
}

bool CheckPrevInstanceAs(TOneInstancePerformCheckingType scope, std::wstring_view userName,
                         std::wstring_view title, std::wstring_view identifier) {
    const OneInstanceNames names =
        MakeOneInstanceNames(OneInstanceUserPrefix(scope, userName), title, identifier);
    if (AlreadyOwned(names.instance)) return false;

    // Processes that check at the same moment: whoever finds the critical section present gives
    // up at once and counts as the second instance.
    SetLastError(ERROR_SUCCESS);
    UniqueHandle critical(CreateMutexW(nullptr, TRUE, names.criticalSection.c_str()));
    if (!critical || GetLastError() != ERROR_SUCCESS) return true;

    InstanceMutex& m = TheInstanceMutex();
    m.Reset();
    m.handle = CreateMutexW(nullptr, FALSE, names.instance.c_str());
    m.name = names.instance;
    // A failed creation makes the wait fail: the program then runs unguarded.
    const DWORD wait = m.handle ? WaitForSingleObject(m.handle, 0) : WAIT_FAILED;
    m.owned = wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED;
    const bool running = wait == WAIT_TIMEOUT;

    ReleaseMutex(critical.get());
    return running;
}

bool CheckPrevInstance() {
    return CheckPrevInstanceAs(pcForCurrentUserOnly, CurrentUserName(), TApplication::Instance().Title(), L"");
}

HWND FindPrevInstance() {
    const TApplication& app = TApplication::Instance();
    const std::wstring title = app.Title();
    HWND own = app.Handle();
    HWND found = nullptr;
    do {
        found = FindWindowExW(nullptr, found, kApplicationClassName, title.c_str());
    } while (found && found == own);
    return found;
}

bool SwitchToPrevInstance() {
    HWND window = FindPrevInstance();
    if (!window || !IsWindow(window)) return false;
    if (IsIconic(window))
        OpenIcon(window);
    else
        SetForegroundWindow(window);
    const TApplication& app = TApplication::Instance();
    PostMessageW(window, WM_ACTIVATE_INSTANCE, reinterpret_cast<WPARAM>(app.Handle()),
                 reinterpret_cast<LPARAM>(app.ModuleInstance()));
    return true;
}

bool EndPrevInstance(DWORD timeoutMs, std::wstring_view exePath) {
    const TApplication& app = TApplication::Instance();
    const std::wstring title = app.Title();
    HWND window = nullptr;
    DWORD pid = 0;
    do
        window = FindWindowExW(nullptr, window, kApplicationClassName, title.c_str());
    while (window && (window == app.Handle() || !GetWindowThreadProcessId(window, &pid) || !ProcessRunsFile(pid, exePath)));
    if (!window) return true;
    UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
    if (!PostMessageW(window, WM_END_INSTANCE, 0, 0)) return !IsWindow(window);
    if (!process) return false;  // asked, but its end cannot be awaited
    return WaitForSingleObject(process.get(), timeoutMs) == WAIT_OBJECT_0;
}

}  // namespace quorlin
