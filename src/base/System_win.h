// Process-wide facts and services of the system: DLLs from the system folder only, the running
// executable's path and file version, and memory trimming.
#pragma once
#include <windows.h>
#include <unknwn.h>

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

// COM's object creation, as ole32 exports it.
using CoCreateInstanceFn = HRESULT(WINAPI*)(REFCLSID, IUnknown*, DWORD, REFIID, void**);

// COM only where it is needed: on the first call, loads ole32 from the system folder and
// initialises COM on the calling thread as a single-threaded apartment; later calls return the
// same. Null when COM cannot be loaded. COM is never uninitialised and ole32 never unloaded, so
// objects made in the apartment live until the process ends. GUI thread only.
CoCreateInstanceFn EnterComApartment();

// The full path of the running executable (long paths included), or "" when it cannot be had.
std::wstring RunningExePath();
// Whether two full paths, as the system gives them, name the same file: equal but for case.
bool SamePath(std::wstring_view a, std::wstring_view b);
// Whether another process (an id) runs the executable exePath (its full path).
bool ProcessRunsFile(DWORD processId, std::wstring_view exePath);

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
