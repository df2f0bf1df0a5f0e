// The log file the programs under test write for their drivers: one line per event, appended and
// closed at once, so a driver can read it while the program runs.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "base/Unique_win.h"

namespace proglog {

inline std::wstring& Path() {
    static std::wstring path;
    return path;
}

// Appends text as it stands (callers add their own line ends where they need them).
inline void Write(std::string_view text) {
    quorlin::UniqueHandle f(CreateFileW(Path().c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, 0, nullptr));
    if (f.get() == INVALID_HANDLE_VALUE) {
        (void)f.release();
        return;
    }
    DWORD written = 0;
    WriteFile(f.get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

inline void Line(const std::string& line) { Write(line + "\n"); }

}  // namespace proglog
