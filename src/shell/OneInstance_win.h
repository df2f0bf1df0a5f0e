// One running instance per user. A second start finds the first through two named mutexes, brings
// the first's application window forward, posts it WM_ACTIVATE_INSTANCE and ends.
#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "base/Messages.h"
#include "shell/OneInstance.h"

namespace quorlin {

// True when another instance of this user runs (or another process is checking at this very
// moment); false when this process owns the instance mutex. Checked again from the process that
// owns it, it answers false.
bool CheckPrevInstance();

// The check itself, with the user name as a parameter (empty when it could not be read).
// CheckPrevInstance passes the logon user's name.
bool CheckPrevInstanceAs(TOneInstancePerformCheckingType scope, std::wstring_view userName,
                         std::wstring_view title, std::wstring_view identifier);

// The logon user's name; empty when it cannot be read.
std::wstring CurrentUserName();

// Another process's application window with the same title; null when there is none.
HWND FindPrevInstance();
// Restores or brings forward the other instance and posts it WM_ACTIVATE_INSTANCE.
bool SwitchToPrevInstance();
// Asks the other instance started from the executable exePath (the same file, however spelt) to
// end (WM_END_INSTANCE) and waits up to timeoutMs for its process to end. An instance run from
// another copy is left alone. True when it ended or none runs; false when it still runs.
bool EndPrevInstance(DWORD timeoutMs, std::wstring_view exePath);

}  // namespace quorlin
