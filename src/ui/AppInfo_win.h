// Small program-wide helpers: the running file's version, memory trimming, resource texts.
#pragma once
#include <windows.h>

#include <string>

namespace quorlin {

// The executable's file version as "a.b.c.d"; empty when it cannot be read.
std::wstring FileVersionString();

// Lets the system trim the process's working set after switches, window changes and timer ticks.
void TrimWorkingSet();

// A string of the program's string table; empty when missing.
std::wstring LoadResString(UINT id);

// Loads a DLL that Windows does not always take from the system folder, from the system folder only.
HMODULE LoadSystemLibrary(const wchar_t* name);

// A function of a loaded module, typed; null when the module lacks it.
template <typename Fn>
Fn GetProc(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace quorlin
