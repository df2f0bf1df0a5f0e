// The program in front, worked out on the GUI thread: its rule handed to the input hooks, and the
// last program other than the shell's and this one's that was in front.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/ProgramRule.h"
#include "base/Unique_win.h"

namespace quorlin {

// The executable file names of processes, folded, each process opened once and kept open: its id
// cannot then go to a new process while the name is remembered. A process that cannot be opened
// (elevated, protected) has no name.
class ProcessNames {
public:
    std::wstring NameOf(DWORD processId);

private:
    struct Entry {
        DWORD Id;
        UniqueHandle Process;
        std::wstring Name;
    };
    std::vector<Entry> entries_;
};

// Where the system reports foreground changes (Windows) each one is taken at once; where it does
// not (Wine), the hooks ask with WM_FOREGROUND_RULE when they see another window in front, and the
// tray icon's owner calls Check() before it takes the foreground for its menu. Nothing runs while
// nothing changes.
class ForegroundProgram {
public:
    ForegroundProgram();
    ~ForegroundProgram();
    ForegroundProgram(const ForegroundProgram&) = delete;
    ForegroundProgram& operator=(const ForegroundProgram&) = delete;

    // The rules the hooks apply from now on, to the window in front too.
    void SetRules(const ProgramRules& rules);
    // Works out the program in front and its rule.
    void Check();
    // The file name of the last program in front that was neither the shell's (taskbar, desktop)
    // nor this process; empty until there was one.
    const std::wstring& LastOtherProgram() const { return lastOther_; }
    // Whether the system's foreground event arrives: yes once one came, no when the window in front
    // changed without one, nothing before any change (for the diagnostics report).
    std::optional<bool> EventArrives() const {
        if (events_) return true;
        if (changes_) return false;
        return std::nullopt;
    }

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD, HWND, LONG, LONG, DWORD, DWORD);
    ProgramRules rules_;
    ProcessNames names_;
    std::wstring lastOther_;
    UniqueWinEventHook event_;
    HWND front_ = nullptr;
    std::uint32_t events_ = 0;
    std::uint32_t changes_ = 0;
};

}  // namespace quorlin
