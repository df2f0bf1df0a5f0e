// The floor for start-up and memory: a minimal Win32 program that adds a tray icon, and with
// "/window" also shows a plain window of the settings window's size. Like Quorlin it trims its
// working set once 1.5 s after start. WM_CLOSE removes the icon and ends it.
#include <windows.h>
#include <shellapi.h>
#ifdef TRAYREF_WITH_QUORLIN_DLLS
#include <commctrl.h>
#endif

namespace {

constexpr UINT kTrayId = 1;
constexpr UINT_PTR kTrimTimer = 1;
NOTIFYICONDATAW g_icon{};

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_TIMER:
        KillTimer(hwnd, kTrimTimer);
        SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
        return 0;
    case WM_CLOSE:
        Shell_NotifyIconW(NIM_DELETE, &g_icon);
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR args, int) {
    const bool window = args && lstrcmpiW(args, L"/window") == 0;
#ifdef TRAYREF_WITH_QUORLIN_DLLS
    // Quorlin's DLLs brought up the way Quorlin does: the common controls of version 6 (the
    // manifest). COM is loaded only for the touchpad driver, which this machine lacks.
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
#endif
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"QuorlinTrayRef";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"TrayRef", WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                                CW_USEDEFAULT, CW_USEDEFAULT, 314, 438, nullptr, nullptr, instance, nullptr);
    if (!hwnd) return 1;

    g_icon.cbSize = sizeof g_icon;
    g_icon.hWnd = hwnd;
    g_icon.uID = kTrayId;
    g_icon.uFlags = NIF_ICON | NIF_TIP;
    g_icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpynW(g_icon.szTip, L"TrayRef", ARRAYSIZE(g_icon.szTip));
    Shell_NotifyIconW(NIM_ADD, &g_icon);
    SetTimer(hwnd, kTrimTimer, 1500, nullptr);
    if (window) ShowWindow(hwnd, SW_SHOW);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
