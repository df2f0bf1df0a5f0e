// The floor for the hook path: the same two low-level hooks as Quorlin, installed the same way
// (ANSI, from the program's module, after the window exists), that only call the next hook.
// A hidden top-level window and a message loop; WM_CLOSE ends it.
#include <windows.h>

namespace {

HHOOK g_keyboard = nullptr;
HHOOK g_mouse = nullptr;

LRESULT CALLBACK KeyboardProc(int code, WPARAM wp, LPARAM lp) { return CallNextHookEx(g_keyboard, code, wp, lp); }
LRESULT CALLBACK MouseProc(int code, WPARAM wp, LPARAM lp) { return CallNextHookEx(g_mouse, code, wp, lp); }

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLOSE) {
        DestroyWindow(hwnd);
        return 0;
    }
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.lpszClassName = L"QuorlinNullHooks";
    RegisterClassW(&wc);
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"NullHooks", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                instance, nullptr);
    if (!hwnd) return 1;
    const HINSTANCE module = GetModuleHandleW(nullptr);
    g_keyboard = SetWindowsHookExA(WH_KEYBOARD_LL, KeyboardProc, module, 0);
    g_mouse = SetWindowsHookExA(WH_MOUSE_LL, MouseProc, module, 0);
    if (!g_keyboard || !g_mouse) return 2;

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    UnhookWindowsHookEx(g_mouse);
    UnhookWindowsHookEx(g_keyboard);
    return 0;
}
