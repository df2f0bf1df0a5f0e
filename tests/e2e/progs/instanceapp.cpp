// Program under test for the single-instance guard: the real application object, its message hook
// and the guard, started the way the program starts. It appends to a log file:
//   "self pid=<n> app=0x<hwnd> module=0x<hinstance> user=<name>"   at start
//   "check <0|1>"            the check of the start (1: another instance runs)
//   "running"                when it goes on as the one instance
//   "activate 0x<wParam> 0x<lParam>"   for every WM_ACTIVATE_INSTANCE it receives
//   "recheck <0|1>"          for each check asked for with WM_APP+2
//   "exit"                   when the message loop has ended
// WM_APP+1 to its application window minimises that window; WM_CLOSE ends the program.
// Command line: <log path> [user name]
// With a user name the guard checks as that user: Wine reports one logon name to every process
// of a prefix, so another user is played by handing the name to the check directly.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "shell/Application_win.h"
#include "shell/OneInstance_win.h"
#include "ProgLog.h"
#include "base/Unique_win.h"

using namespace quorlin;

namespace {

constexpr UINT kMinimize = WM_APP + 1;
constexpr UINT kRecheck = WM_APP + 2;

std::wstring g_user;  // empty: the logon user

bool Check() {
    if (g_user.empty()) return CheckPrevInstance();
    return CheckPrevInstanceAs(pcForCurrentUserOnly, g_user, TApplication::Instance().Title(), L"");
}


std::string Hex(std::uintptr_t value) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "0x%lx", static_cast<unsigned long>(value));
    return buf;
}

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    proglog::Path() = argv[1];
    if (argc > 2) g_user = argv[2];
    LocalFree(argv);

    TApplication& app = TApplication::Instance();
    app.Initialize(instance);
    app.SetTitle(L"Quorlin");
    proglog::Line("self pid=" + std::to_string(GetCurrentProcessId()) + " app=" +
           Hex(reinterpret_cast<std::uintptr_t>(app.Handle())) + " module=" +
           Hex(reinterpret_cast<std::uintptr_t>(app.ModuleInstance())) + " user=" + Narrow(g_user.empty() ? CurrentUserName() : g_user));

    // As the main window starts: the check first; a second instance hands over and ends.
    const bool other = Check();
    proglog::Line(std::string("check ") + (other ? "1" : "0"));
    if (other) {
        SwitchToPrevInstance();
        app.Terminate();
    } else {
        proglog::Line("running");
    }
    app.OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.message == WM_ACTIVATE_INSTANCE) {
            proglog::Line("activate " + Hex(msg.wParam) + " " + Hex(static_cast<std::uintptr_t>(msg.lParam)));
        } else if (msg.message == kMinimize && msg.hwnd == app.Handle()) {
            handled = true;
            ShowWindow(app.Handle(), SW_MINIMIZE);
        } else if (msg.message == kRecheck && msg.hwnd == app.Handle()) {
            handled = true;
            const bool again = Check();
            proglog::Line(std::string("recheck ") + (again ? "1" : "0"));
            if (again) app.Terminate();
        }
    };

    app.Run();
    proglog::Line("exit");
    return 0;
}
