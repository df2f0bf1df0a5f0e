#include "QuorlinProcess.h"

#include "TrayProbe.h"
#include "base/Unique_win.h"

namespace testsupport {

namespace {

DWORD g_lastKeyTick = 0;
bool g_keyNoted = false;

quorlin::UniqueKey OpenKey(const wchar_t* key, bool create) {
    HKEY h = nullptr;
    const LSTATUS rc = create ? RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                                                &h, nullptr)
                              : RegOpenKeyExW(HKEY_CURRENT_USER, key, 0, KEY_READ, &h);
    return quorlin::UniqueKey(rc == ERROR_SUCCESS ? h : nullptr);
}

struct ChildSearch {
    const wchar_t* cls;
    std::wstring text;
    bool prefix;
    HWND found = nullptr;
};

BOOL CALLBACK MatchChild(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (lstrcmpiW(cls, s->cls) != 0) return TRUE;
    const std::wstring text = TextOf(hwnd);
    if (s->prefix ? text.rfind(s->text, 0) == 0 : text == s->text) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct TopSearch {
    DWORD pid;
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK MatchTop(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<TopSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (owner == s->pid && lstrcmpiW(cls, s->cls) == 0) s->found.push_back(hwnd);
    return TRUE;
}


}  // namespace

// ---- Registry ----

void DeleteSettingsKey() { RegDeleteTreeW(HKEY_CURRENT_USER, kQuorlinKey); }

bool SettingsKeyExists() { return static_cast<bool>(OpenKey(kQuorlinKey, false)); }

void WriteDword(const wchar_t* name, DWORD value, const wchar_t* key) {
    WriteRaw(name, REG_DWORD, &value, sizeof value, key);
}

void WriteText(const wchar_t* name, const std::wstring& value, const wchar_t* key) {
    WriteRaw(name, REG_SZ, value.c_str(), static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)), key);
}

void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size, const wchar_t* key) {
    if (auto k = OpenKey(key, true)) RegSetValueExW(k.get(), name, 0, type, static_cast<const BYTE*>(data), size);
}

std::optional<DWORD> ValueType(const wchar_t* name, const wchar_t* key) {
    DWORD type = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, nullptr) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return type;
}

std::optional<DWORD> ReadDword(const wchar_t* name, const wchar_t* key) {
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

std::optional<std::wstring> ReadText(const wchar_t* name, const wchar_t* key) {
    wchar_t buffer[2048] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

// ---- Windows of another process ----

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[1024] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 3000, &got))
        return {};
    buffer[1023] = L'\0';
    return buffer;
}

HWND FindChild(HWND parent, const wchar_t* className, const std::wstring& text) {
    ChildSearch s{className, text, false};
    if (parent) EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND FindChildStartingWith(HWND parent, const wchar_t* className, const std::wstring& prefix) {
    ChildSearch s{className, prefix, true};
    if (parent) EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

namespace {
BOOL CALLBACK MatchCheckBox(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<ChildSearch*>(lp);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    const LONG type = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
    if (lstrcmpiW(cls, L"Button") != 0 || (type != BS_CHECKBOX && type != BS_AUTOCHECKBOX)) return TRUE;
    if (TextOf(hwnd) != s->text) return TRUE;
    s->found = hwnd;
    return FALSE;
}
}  // namespace

// A check group box and its caption check box share the text; only the latter is a check box.
HWND FindCheckBox(HWND parent, const std::wstring& text) {
    ChildSearch s{L"Button", text, false};
    if (parent) EnumChildWindows(parent, MatchCheckBox, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

bool IsChecked(HWND button) {
    DWORD_PTR state = 0;
    SendMessageTimeoutW(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 3000, &state);
    return state == BST_CHECKED;
}

std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className) {
    TopSearch s{pid, className, {}};
    EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&s));
    std::vector<HWND> visible;
    for (HWND w : s.found)
        if (IsWindowVisible(w)) visible.push_back(w);
    return visible;
}

POINT CloseButtonPoint(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    // Walk the caption row from the right edge inwards and ask the window what lies there.
    for (int y = r.top + 4; y < r.top + 30; y += 3) {
        for (int x = r.right - 3; x > r.right - 60; x -= 2) {
            DWORD_PTR hit = 0;
            SendMessageTimeoutW(hwnd, WM_NCHITTEST, 0, MAKELPARAM(x, y), SMTO_ABORTIFHUNG, 3000, &hit);
            if (hit == HTCLOSE) return {x - 3, y + 3};
        }
    }
    return {-1, -1};
}

std::vector<COLORREF> ScreenPixels(const RECT& r) {
    const int w = r.right - r.left, h = r.bottom - r.top;
    std::vector<COLORREF> pixels;
    if (w <= 0 || h <= 0) return pixels;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(mem, old);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top-down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    std::vector<DWORD> raw(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    GetDIBits(mem, bmp, 0, static_cast<UINT>(h), raw.data(), &bi, DIB_RGB_COLORS);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    for (DWORD p : raw) pixels.push_back(RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF));
    return pixels;
}

// ---- Input ----

void TypeKeyNoted(WORD vk) {
    TypeKey(vk);
    g_lastKeyTick = GetTickCount();
    g_keyNoted = true;
}

void WaitAfterKeys(DWORD quietMs) {
    if (!g_keyNoted) return;
    const DWORD since = GetTickCount() - g_lastKeyTick;
    if (since < quietMs) PumpFor(quietMs - since);
}

namespace {

// The pointer placed, then the press and release carrying the position themselves.
void ButtonAt(int x, int y, DWORD down, DWORD up, DWORD quietMs) {
    WaitAfterKeys(quietMs);
    const PointerHold hold(x, y);
    PlacePointer(x, y);
    PumpFor(50);
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    INPUT in[2] = {};
    for (INPUT& i : in) {
        i.type = INPUT_MOUSE;
        i.mi.dx = (x * 65535 + (w - 1) / 2) / (w - 1);
        i.mi.dy = (y * 65535 + (h - 1) / 2) / (h - 1);
    }
    in[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | down;
    in[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | up;
    SendInput(2, in, sizeof(INPUT));
}

}  // namespace

void SafeClick(int x, int y, DWORD quietMs) { ButtonAt(x, y, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, quietMs); }

void SafeClickWindow(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    SafeClick(r.left + 6, (r.top + r.bottom) / 2);
}

void SafeRightClick(int x, int y, DWORD quietMs) {
    ButtonAt(x, y, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, quietMs);
}

// ---- The program ----

void QuorlinProcess::Launch() {
    process_ = testsupport::Start(exe_.empty() ? ExeDir() + L"\\Quorlin.exe" : exe_);
    window_ = nullptr;
}

bool QuorlinProcess::Start(DWORD timeoutMs) {
    problem_.clear();
    Launch();
    if (!process_.process) {
        problem_ = "Quorlin.exe did not start";
        return false;
    }
    if (!PumpUntil(
            [&] {
                if (!window_) {
                    TopSearch s{process_.id, L"TfrmMain", {}};
                    EnumWindows(MatchTop, reinterpret_cast<LPARAM>(&s));
                    if (!s.found.empty()) window_ = s.found.front();
                }
                return window_ && TrayTip().rfind(L"Quorlin (", 0) == 0;
            },
            timeoutMs)) {
        problem_ = window_ ? "its tray icon did not appear" : "no TfrmMain window appeared";
        if (!Running()) problem_ += " (the process has ended)";
        return false;
    }
    return true;
}

// The taskbar's tools belong to the taskbar, not to the program, so the icon is told by its tip.
static std::optional<TrayTool> QuorlinTool() {
    for (const TrayTool& t : TrayTools())
        if (!IsRectEmpty(&t.rect) && t.text.rfind(L"Quorlin (", 0) == 0) return t;
    return std::nullopt;
}

std::wstring QuorlinProcess::TrayTip() const {
    if (!Running()) return {};
    const auto tool = QuorlinTool();
    return tool ? tool->text : std::wstring();
}

RECT QuorlinProcess::TrayIconRect() const {
    if (const auto tool = QuorlinTool(); tool && Running()) {
        const TrayTool& t = *tool;
        RECT r = t.rect;
        MapWindowPoints(Taskbar(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    return RECT{};
}

POINT QuorlinProcess::TrayIconCenter() const {
    const RECT r = TrayIconRect();
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

bool QuorlinProcess::OpenTrayMenu() {
    const POINT c = TrayIconCenter();
    SafeRightClick(c.x, c.y);
    return PumpUntil([] { return VisibleMenu() != nullptr; }, 3000);
}

void QuorlinProcess::Stop() {
    if (!Running()) return;
    if (window_) {
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(window_, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        PostMessageW(window_, WM_CLOSE, 0, 0);
    }
    if (process_.Wait(5000) == STILL_ACTIVE) process_.Kill();
}

void QuorlinProcess::Kill() {
    if (Running()) process_.Kill();
}

bool QuorlinProcess::HotkeyFree(UINT modifiers, UINT key) const {
    const DWORD tid = window_ ? GetWindowThreadProcessId(window_, nullptr) : 0;
    HANDLE thread = tid ? OpenThread(THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT, FALSE, tid) : nullptr;
    bool stopped = false;
    if (thread && SuspendThread(thread) != static_cast<DWORD>(-1)) {
        stopped = true;
        CONTEXT context{};
        context.ContextFlags = CONTEXT_CONTROL;
        GetThreadContext(thread, &context);  // returns once the thread has really stopped
    }
    const bool free = RegisterHotKey(nullptr, 0x5A5A, modifiers, key) != FALSE;
    const DWORD error = free ? 0 : GetLastError();
    if (free) UnregisterHotKey(nullptr, 0x5A5A);
    if (stopped) ResumeThread(thread);
    if (thread) CloseHandle(thread);
    SetLastError(error);
    return free;
}

}  // namespace testsupport
