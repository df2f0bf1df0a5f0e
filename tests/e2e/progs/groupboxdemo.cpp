// Shows check-box group boxes for people to look at: the settings window's blocker group
// (checked), the same group cleared (controls greyed) and the shortcuts group with its caption
// check box hidden. Closes itself after the number of seconds given as its argument (default 30).
#include <windows.h>
#include <shellapi.h>

#include <memory>
#include <vector>

#include "shell/CheckGroupBox_win.h"
#include "base/Unique_win.h"

using namespace quorlin;

namespace {

HFONT g_font = nullptr;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT result = 0;
    if (ReflectControlMessage(msg, wp, lp, result)) return result;
    switch (msg) {
    case WM_GETFONT: return reinterpret_cast<LRESULT>(g_font);
    case WM_TIMER:
        if (wp == 1) PostQuitMessage(0);
        return 0;
    case WM_CLOSE: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void FillBlockerGroup(TCheckGroupBox& g, std::vector<std::unique_ptr<TWinControl>>& keep) {
    HWND h = g.Handle();
    keep.push_back(std::make_unique<TLabel>(h, WindowBounds{12, 26, 152, 15}, L"&Time interval to block clicks"));
    auto combo = std::make_unique<TComboBox>(h, WindowBounds{176, 22, 96, 23});
    combo->AddItem(L"1/2 sec", 500);
    combo->SetItemIndex(0);
    keep.push_back(std::move(combo));
    keep.push_back(std::make_unique<TCheckBox>(h, WindowBounds{12, 52, 212, 17}, L"Also block move and wheel &events", true));
    keep.push_back(std::make_unique<TCheckBox>(h, WindowBounds{12, 76, 200, 17}, L"&Beep when click is blocked", true));
    keep.push_back(std::make_unique<TLabel>(h, WindowBounds{12, 96, 260, 15}, L"Clicks blocked: 12", TLabel::Align::Right));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const int seconds = argv && argc > 1 ? _wtoi(argv[1]) : 30;
    if (argv) LocalFree(argv);

    UniqueGdiObject font(CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial"));
    g_font = static_cast<HFONT>(font.get());

    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = L"QuorlinGroupBoxDemo";
    RegisterClassW(&wc);
    RECT r{0, 0, 616, 260};
    AdjustWindowRect(&r, WS_CAPTION | WS_SYSMENU, FALSE);
    UniqueWindow window(CreateWindowExW(WS_EX_CONTROLPARENT, wc.lpszClassName, L"Check-box group box",
                                        WS_CAPTION | WS_SYSMENU, 40, 40, r.right - r.left, r.bottom - r.top, nullptr,
                                        nullptr, instance, nullptr));
    if (!window) return 1;
    HWND w = window.get();

    std::vector<std::unique_ptr<TWinControl>> keep;
    TCheckGroupBox blocker(w, {8, 8, 292, 120}, L"Block accidental taps and clicks");
    FillBlockerGroup(blocker, keep);
    TCheckGroupBox cleared(w, {316, 8, 292, 120}, L"Block accidental taps and clicks");
    FillBlockerGroup(cleared, keep);
    cleared.SetCheckBoxChecked(false);

    TCheckGroupBox shortcuts(w, {8, 134, 292, 104}, L"Keyboard shortcuts");
    shortcuts.SetCheckBoxVisible(false);
    HWND s = shortcuts.Handle();
    keep.push_back(std::make_unique<TCheckBox>(s, WindowBounds{12, 28, 164, 17}, L"Turn blocker On and Off ", true));
    keep.push_back(std::make_unique<TEdit>(s, WindowBounds{176, 24, 96, 23}, L"Ctrl+F9", true));
    keep.push_back(std::make_unique<TCheckBox>(s, WindowBounds{12, 56, 164, 17}, L"Enable/Disable touchpad *", false));
    keep.push_back(std::make_unique<TEdit>(s, WindowBounds{176, 52, 96, 23}, L"Ctrl+Alt+F9", true));
    keep.push_back(std::make_unique<TLabel>(s, WindowBounds{12, 80, 260, 15}, L"* Synaptics and Windows precision touchpads"));

    // An empty caption: only the check mark sits on the frame line.
    TCheckGroupBox empty(w, {316, 134, 292, 104}, L"");

    ShowWindow(w, SW_SHOW);
    UpdateWindow(w);
    SetTimer(w, 1, static_cast<UINT>(seconds > 0 ? seconds : 30) * 1000u, nullptr);
    // Repaints after a change of state and caption must look as clean as the first painting.
    SetTimer(w, 2, 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.wParam == 2) {
            KillTimer(w, 2);
            cleared.SetCheckBoxChecked(true);
            cleared.SetCheckBoxChecked(false);
            blocker.SetText(L"Block taps");
            blocker.SetText(L"Block accidental taps and clicks");
            continue;
        }
        if (IsDialogMessageW(w, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
