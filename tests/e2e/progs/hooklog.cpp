// Program under test for the input hooks: installs the real hooks and appends the wParam of
// every WM_BLOCKED_EVENT it receives to a log file, one "0x201"-style line each.
// Command line: <log path> [block interval ms] [block other events 0|1]
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <string>

#include "blocker/BlockingRule.h"
#include "blocker/InputHooks_win.h"
#include "base/Unique_win.h"
#include "ProgLog.h"

namespace {


LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == quorlin::WM_BLOCKED_EVENT) {
        char line[32];
        std::snprintf(line, sizeof line, "0x%x\n", static_cast<unsigned>(wp));
        proglog::Write(line);
        return 0;
    }
    if (msg == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2) return 2;
    proglog::Path() = argv[1];
    if (argc > 2) quorlin::BlockerState.BlockInterval = static_cast<std::uint32_t>(_wtoi(argv[2]));
    if (argc > 3) quorlin::BlockerState.BlockOtherEvents = _wtoi(argv[3]) != 0;
    LocalFree(argv);

    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QuorlinHookLog";
    RegisterClassW(&wc);
    quorlin::UniqueWindow window(
        CreateWindowExW(0, wc.lpszClassName, L"hooklog", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, instance, nullptr));
    if (!window) return 3;

    quorlin::InstallHooks(window.get());
    proglog::Write(quorlin::BlockerState.KeyboardHook && quorlin::BlockerState.MouseHook ? "ready\n" : "nohooks\n");

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    quorlin::UninstallHooks();
    return 0;
}
