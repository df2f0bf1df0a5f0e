#include "ControlHost.h"

#include "TestSupport.h"
#include "shell/Controls_win.h"

namespace testsupport {

void ClickAt(POINT p) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    auto send = [&](DWORD button) {
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = (p.x * 65535 + (w - 1) / 2) / (w - 1);
        in.mi.dy = (p.y * 65535 + (h - 1) / 2) / (h - 1);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | button;
        SendInput(1, &in, sizeof in);
    };
    send(0);
    PumpFor(100);
    send(MOUSEEVENTF_LEFTDOWN);
    send(MOUSEEVENTF_LEFTUP);
}

ControlHost::ControlHost(int x, int y, int clientWidth, int clientHeight, const wchar_t* title)
    : font_(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                        CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial")) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"QuorlinControlHost";
    RegisterClassW(&wc);  // fails harmlessly when already registered
    RECT r{0, 0, clientWidth, clientHeight};
    const DWORD style = WS_CAPTION | WS_SYSMENU | WS_VISIBLE;
    AdjustWindowRect(&r, style, FALSE);
    hwnd_.reset(CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, title, style, x, y, r.right - r.left,
                                r.bottom - r.top, nullptr, nullptr, wc.hInstance, this));
}

bool ControlHost::Activate() const {
    SetForegroundWindow(hwnd_.get());
    return PumpUntil([&] { return GetForegroundWindow() == hwnd_.get(); }, 3000);
}

LRESULT CALLBACK ControlHost::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE)
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lp)->lpCreateParams));
    LRESULT result = 0;
    if (quorlin::ReflectControlMessage(msg, wp, lp, result)) return result;
    if (msg == WM_GETFONT)
        if (auto* self = reinterpret_cast<ControlHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
            return reinterpret_cast<LRESULT>(self->font_.get());
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace testsupport
