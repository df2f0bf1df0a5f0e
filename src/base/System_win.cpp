#include "base/System_win.h"

#include <vector>

#include "base/Decimal.h"
#include "base/Unique_win.h"

namespace quorlin {

HMODULE LoadSystemLibrary(const wchar_t* name) {
    // LOAD_LIBRARY_SEARCH_SYSTEM32 needs Windows 7 with KB2533623 or later; older systems reject the
    // flag, and then the full system path keeps the search away from the program's folder.
    if (HMODULE m = LoadLibraryExW(name, nullptr, 0x00000800 /*LOAD_LIBRARY_SEARCH_SYSTEM32*/)) return m;
    wchar_t dir[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    const std::wstring path = std::wstring(dir, n) + L"\\" + name;
    return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

CoCreateInstanceFn EnterComApartment() {
    static const CoCreateInstanceFn create = [] {
        using InitFn = HRESULT(WINAPI*)(LPVOID);
        const HMODULE ole32 = LoadSystemLibrary(L"ole32.dll");  // kept: the apartment lives on
        if (!ole32) return CoCreateInstanceFn{};
        const auto init = GetProc<InitFn>(ole32, "CoInitialize");
        const auto make = GetProc<CoCreateInstanceFn>(ole32, "CoCreateInstance");
        if (!init || !make) return CoCreateInstanceFn{};
        (void)init(nullptr);  // already initialised by someone else is as good
        return make;
    }();
    return create;
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool ProcessRunsFile(DWORD processId, std::wstring_view exePath) {
    UniqueHandle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    wchar_t path[2 * MAX_PATH];
    DWORD size = 2 * MAX_PATH;
    return process && QueryFullProcessImageNameW(process.get(), 0, path, &size) &&
           SamePath(std::wstring_view(path, size), exePath);
}

std::wstring RunningExePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        // A full buffer means the path may have been cut short.
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        if (path.size() >= 32768) return {};
        path.resize(path.size() * 2);
    }
}

std::optional<FileVersion> ReadFileVersion(const std::wstring& file) {
    // The wide calls: an executable under a path outside the ANSI code page still has a version.
    using SizeFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
    using InfoFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
    using QueryFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
    const UniqueModule version(LoadSystemLibrary(L"version.dll"));
    if (!version || file.empty()) return std::nullopt;
    const auto size = GetProc<SizeFn>(version.get(), "GetFileVersionInfoSizeW");
    const auto info = GetProc<InfoFn>(version.get(), "GetFileVersionInfoW");
    const auto query = GetProc<QueryFn>(version.get(), "VerQueryValueW");
    if (!size || !info || !query) return std::nullopt;
    DWORD handle = 0;
    const DWORD bytes = size(file.c_str(), &handle);
    if (bytes == 0) return std::nullopt;
    std::vector<char> data(bytes);
    if (!info(file.c_str(), 0, bytes, data.data())) return std::nullopt;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT fixedSize = 0;
    if (!query(data.data(), L"\\", reinterpret_cast<LPVOID*>(&fixed), &fixedSize) || !fixed ||
        fixedSize < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    return FileVersion{fixed->dwFileVersionMS, fixed->dwFileVersionLS};
}

const std::wstring& FileVersionString() {
    static const std::wstring text = [] {
        const auto v = ReadFileVersion(RunningExePath());
        if (!v) return std::wstring();
        return DecimalTextW(HIWORD(v->MS)) + L'.' + DecimalTextW(LOWORD(v->MS)) + L'.' + DecimalTextW(HIWORD(v->LS)) +
               L'.' + DecimalTextW(LOWORD(v->LS));
    }();
    return text;
}

void TrimWorkingSet() {
    SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
}

}  // namespace quorlin
