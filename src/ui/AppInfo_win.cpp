#include "ui/AppInfo_win.h"

#include <cstdio>
#include <vector>

#include "shell/Unique_win.h"

namespace quorlin {

HMODULE LoadSystemLibrary(const wchar_t* name) {
    // LOAD_LIBRARY_SEARCH_SYSTEM32 needs Windows 7 with KB2533623 or later; older systems reject the
    // flag, and then the full system path keeps the search away from the program's folder.
    if (HMODULE m = LoadLibraryExW(name, nullptr, 0x00000800 /*LOAD_LIBRARY_SEARCH_SYSTEM32*/)) return m;
    wchar_t dir[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    std::wstring path = std::wstring(dir) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

std::wstring FileVersionString() {
    using SizeFn = DWORD(WINAPI*)(LPCSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
    UniqueModule version(LoadSystemLibrary(L"version.dll"));
    if (!version) return {};
    auto size = GetProc<SizeFn>(version.get(), "GetFileVersionInfoSizeA");
    auto info = GetProc<InfoFn>(version.get(), "GetFileVersionInfoA");
    auto query = GetProc<QueryFn>(version.get(), "VerQueryValueA");
    if (!size || !info || !query) return {};

    char path[MAX_PATH + 1] = {};
    const DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (len == 0 || len >= MAX_PATH) return {};
    DWORD handle = 0;
    const DWORD bytes = size(path, &handle);
    if (bytes == 0) return {};
    std::vector<char> data(bytes);
    if (!info(path, 0, bytes, data.data())) return {};
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedLen = 0;
    if (!query(data.data(), "\\", reinterpret_cast<LPVOID*>(&fixed), &fixedLen) || !fixed ||
        fixedLen < sizeof(VS_FIXEDFILEINFO))
        return {};
    wchar_t text[64];
    std::swprintf(text, 64, L"%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                  HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
    return text;
}

void TrimWorkingSet() {
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

std::wstring LoadResString(UINT id) {
    const wchar_t* text = nullptr;
    // With a zero buffer size LoadStringW hands out a pointer to the resource itself.
    const int n = LoadStringW(GetModuleHandleW(nullptr), id, reinterpret_cast<LPWSTR>(&text), 0);
    return n > 0 && text ? std::wstring(text, static_cast<std::size_t>(n)) : std::wstring();
}

}  // namespace quorlin
