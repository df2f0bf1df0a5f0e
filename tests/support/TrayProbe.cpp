#include "TrayProbe.h"

#include "TestSupport.h"

#include <commctrl.h>

#include "base/Unique_win.h"

namespace testsupport {

namespace {

struct FreeRemote {
    HANDLE process;
    void* address;
    ~FreeRemote() {
        if (address) VirtualFreeEx(process, address, 0, MEM_RELEASE);
    }
};

struct WindowSearch {
    DWORD pid;
    const wchar_t* cls;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lp) {
    auto* s = reinterpret_cast<WindowSearch*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if ((s->pid == 0 || owner == s->pid) && lstrcmpiW(cls, s->cls) == 0) s->found.push_back(hwnd);
    return TRUE;
}

// Top-level windows of a class, of one process (pid 0: of any).
std::vector<HWND> TopLevelWindowsOf(DWORD pid, const wchar_t* className) {
    WindowSearch search{pid, className, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

DWORD TaskbarProcess() {
    DWORD pid = 0;
    if (HWND bar = Taskbar()) GetWindowThreadProcessId(bar, &pid);
    return pid;
}

}  // namespace

HWND Taskbar() { return FindWindowW(L"Shell_TrayWnd", nullptr); }

std::vector<TrayTool> TrayTools() {
    std::vector<TrayTool> tools;
    const DWORD pid = TaskbarProcess();
    if (!pid) return tools;
    quorlin::UniqueHandle process(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
    if (!process) return tools;
    constexpr SIZE_T kTextChars = 1024;
    const SIZE_T bytes = sizeof(TTTOOLINFOW) + kTextChars * sizeof(wchar_t);
    FreeRemote remote{process.get(), VirtualAllocEx(process.get(), nullptr, bytes, MEM_COMMIT, PAGE_READWRITE)};
    if (!remote.address) return tools;
    auto* remoteInfo = static_cast<char*>(remote.address);
    auto* remoteText = reinterpret_cast<wchar_t*>(remoteInfo + sizeof(TTTOOLINFOW));

    for (HWND tip : TopLevelWindowsOf(pid, TOOLTIPS_CLASSW)) {
        const auto count = static_cast<int>(SendMessageW(tip, TTM_GETTOOLCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.lpszText = remoteText;
            std::vector<wchar_t> text(kTextChars, L'\0');
            SIZE_T done = 0;
            if (!WriteProcessMemory(process.get(), remoteInfo, &info, sizeof info, &done)) continue;
            if (!WriteProcessMemory(process.get(), remoteText, text.data(), text.size() * sizeof(wchar_t), &done))
                continue;
            if (!SendMessageW(tip, TTM_ENUMTOOLSW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remoteInfo)))
                continue;
            if (!ReadProcessMemory(process.get(), remoteInfo, &info, sizeof info, &done)) continue;
            TrayTool tool;
            tool.hwnd = info.hwnd;
            tool.id = info.uId;
            tool.rect = info.rect;
            if (info.lpszText == remoteText &&
                ReadProcessMemory(process.get(), remoteText, text.data(), text.size() * sizeof(wchar_t), &done)) {
                text.back() = L'\0';
                tool.text = text.data();
            }
            tools.push_back(tool);
        }
    }
    return tools;
}

int CountToolsWithText(const std::wstring& text) {
    int n = 0;
    for (const TrayTool& t : TrayTools())
        if (t.text == text && !IsRectEmpty(&t.rect)) ++n;
    return n;
}

std::vector<std::wstring> VisibleBalloonTexts() {
    std::vector<std::wstring> texts;
    for (HWND w : TopLevelWindowsOf(0, TOOLTIPS_CLASSW)) {
        if (!IsWindowVisible(w) || !(GetWindowLongW(w, GWL_STYLE) & TTS_BALLOON)) continue;
        wchar_t buffer[1024] = {};
        SendMessageW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer));
        texts.emplace_back(buffer);
    }
    return texts;
}

bool BalloonShown(const std::wstring& text, DWORD ms) {
    return PumpUntil(
        [&] {
            for (const auto& t : VisibleBalloonTexts())
                if (t == text) return true;
            return false;
        },
        ms);
}

HWND VisibleMenu() {
    for (HWND w : TopLevelWindowsOf(0, L"#32768"))
        if (IsWindowVisible(w)) return w;
    return nullptr;
}

COLORREF ScreenPixel(int x, int y) {
    HDC dc = GetDC(nullptr);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(nullptr, dc);
    return c;
}

}  // namespace testsupport
