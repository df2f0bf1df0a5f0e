#include "TestSupport.h"

#include <algorithm>
#include <cstdio>
#include <initializer_list>

namespace testsupport {

std::wstring ExeDir() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.find_last_of(L"\\/"));
}

std::wstring TempFile(const std::wstring& stem) {
    static int counter = 0;
    wchar_t dir[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, dir);
    std::wstring name = std::wstring(dir) + stem + L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++counter) + L".txt";
    DeleteFileW(name.c_str());
    return name;
}

std::string ReadFileText(const std::wstring& path) {
    quorlin::UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                           OPEN_EXISTING, 0, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        (void)file.release();
        return {};
    }
    std::string text;
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buf, sizeof buf, &got, nullptr) && got > 0) text.append(buf, got);
    return text;
}

bool RegisterUrlHandler(HKEY root, const wchar_t* scheme, const std::wstring& command) {
    const std::wstring base = std::wstring(L"Software\\Classes\\") + scheme;
    auto set = [](HKEY key, const wchar_t* name, const std::wstring& text) {
        return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    };
    quorlin::UniqueKey key, cmd;
    return RegCreateKeyExW(root, base.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr) == ERROR_SUCCESS &&
           set(key.get(), nullptr, L"URL:" + std::wstring(scheme)) && set(key.get(), L"URL Protocol", L"") &&
           RegCreateKeyExW(root, (base + L"\\shell\\open\\command").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr,
                           cmd.put(), nullptr) == ERROR_SUCCESS &&
           set(cmd.get(), nullptr, command);
}

DWORD Process::Wait(DWORD timeoutMs) const {
    if (WaitForSingleObject(process.get(), timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(process.get(), &code);
    return code;
}

void Process::Kill() const {
    if (process) {
        TerminateProcess(process.get(), 255);
        WaitForSingleObject(process.get(), 5000);
    }
}

Process Start(const std::wstring& exe, const std::wstring& args) {
    std::wstring path = exe.find_first_of(L"\\/:") == std::wstring::npos ? ExeDir() + L"\\" + exe : exe;
    std::wstring cmd = L"\"" + path + L"\"" + (args.empty() ? L"" : L" " + args);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    Process p;
    if (CreateProcessW(path.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        p.process.reset(pi.hProcess);
        p.thread.reset(pi.hThread);
        p.id = pi.dwProcessId;
    }
    return p;
}

void PumpFor(DWORD ms) {
    PumpUntil([] { return false; }, ms);
}

bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (pred()) return true;
        if (GetTickCount() - start >= timeoutMs) return pred();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

void SendKey(WORD vk, bool up, ULONG_PTR extraInfo) {
    INPUT in{};
    in.ki.dwExtraInfo = extraInfo;
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, 0));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof in);
}

void TypeKey(WORD vk) {
    SendKey(vk, false);
    SendKey(vk, true);
}

void MoveTo(int x, int y) {
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = (x * 65535 + (w - 1) / 2) / (w - 1);
    in.mi.dy = (y * 65535 + (h - 1) / 2) / (h - 1);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
}

// Under Wine the system's cursor follows the X pointer whenever a window appears or goes under the
// latter. An injected move that a low-level hook holds (the program's, while it blocks) moves the
// cursor but never the X pointer, so a later window change puts the cursor back where the X pointer
// was left. SetCursorPos moves both, and Wine moves the X pointer only when the cursor itself
// moves: the step aside makes sure it does.
void PlacePointer(int x, int y) {
    SetCursorPos(x > 0 ? x - 1 : x + 1, y);
    SetCursorPos(x, y);
}

void MouseButton(DWORD flags, DWORD data) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;
    in.mi.mouseData = data;
    SendInput(1, &in, sizeof in);
}

namespace {

POINT g_heldAt{};  // a low-level hook procedure is handed no context of its own

LRESULT CALLBACK DropEchoes(int code, WPARAM wp, LPARAM lp) {
    const auto* m = reinterpret_cast<const MSLLHOOKSTRUCT*>(lp);
    if (code == HC_ACTION && wp == WM_MOUSEMOVE && (m->flags & LLMHF_INJECTED) == 0 &&
        (m->pt.x != g_heldAt.x || m->pt.y != g_heldAt.y))
        return 1;
    return CallNextHookEx(nullptr, code, wp, lp);
}

}  // namespace

PointerHold::PointerHold(int x, int y) {
    g_heldAt = {x, y};
    hook_.reset(SetWindowsHookExW(WH_MOUSE_LL, DropEchoes, GetModuleHandleW(nullptr), 0));
}

namespace {
// The blocker may swallow the events' own moves (moves soon after a key), and a button event then
// lands where the cursor is: so it is placed there first. The events carry the position as well.
void SendAt(int x, int y, std::initializer_list<DWORD> flags) {
    const PointerHold hold(x, y);
    PlacePointer(x, y);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[3] = {};
    UINT n = 0;
    for (DWORD f : flags) {
        in[n].type = INPUT_MOUSE;
        in[n].mi.dx = (x * 65535 + (w - 1) / 2) / (w - 1);
        in[n].mi.dy = (y * 65535 + (h - 1) / 2) / (h - 1);
        in[n++].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | f;
    }
    SendInput(n, in, sizeof(INPUT));
}
}  // namespace

void Click(int x, int y) { SendAt(x, y, {0, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}); }

void PressAndReleaseAt(int x, int y) { SendAt(x, y, {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}); }

void Wheel(int delta) {
    MouseButton(MOUSEEVENTF_WHEEL, static_cast<DWORD>(delta));
}

RecordingWindow::RecordingWindow(int x, int y, int w, int h, const wchar_t* title) {
    static const wchar_t* kClass = L"QuorlinTestRecordingWindow";
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);  // fails harmlessly when already registered
    hwnd_.reset(CreateWindowExW(WS_EX_TOPMOST, kClass, title, WS_POPUP | WS_VISIBLE | WS_BORDER, x, y, w, h,
                                nullptr, nullptr, wc.hInstance, this));
    SetForegroundWindow(hwnd_.get());
    PumpFor(200);
}

POINT RecordingWindow::Center() const {
    RECT r{};
    GetWindowRect(hwnd_.get(), &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool RecordingWindow::Received(UINT msg) const {
    return Count(msg) > 0;
}

int RecordingWindow::Count(UINT msg) const {
    return static_cast<int>(std::count(messages_.begin(), messages_.end(), msg));
}

LRESULT CALLBACK RecordingWindow::Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<RecordingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) self->messages_.push_back(msg);
    if (msg == WM_NCDESTROY) SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace testsupport
