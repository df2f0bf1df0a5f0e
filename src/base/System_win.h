// Process-wide facts and services of the system: DLLs from the system folder only, the running
// executable's path and file version, and memory trimming.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace quorlin {

// Loads a DLL that Windows does not always take from the system folder, from the system folder only.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a loaded module, typed; null when the module lacks it.
template <typename Fn>
Fn GetProc(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The full path of the running executable (long paths included), or "" when it cannot be had.
std::wstring RunningExePath();

// The fixed file version of a file (a path, or a module name the system resolves, such as
// "shell32.dll"): dwFileVersionMS and dwFileVersionLS. Nothing when it has no version resource.
struct FileVersion {
    std::uint32_t MS = 0;
    std::uint32_t LS = 0;
};
std::optional<FileVersion> ReadFileVersion(const std::wstring& file);

// The running executable's file version as "a.b.c.d"; empty when it cannot be read. Read once:
// it does not change while the program runs.
const std::wstring& FileVersionString();

// Lets the system trim the process's working set after switches, window changes and timer ticks.
void TrimWorkingSet();

}  // namespace quorlin
