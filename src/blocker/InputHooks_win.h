// The two system-wide low-level hooks and the record they share with the main window.
#pragma once
#include <windows.h>
#include <cstdint>

#include "blocker/BlockingRule.h"

namespace quorlin {

class FullScreenWatch;

struct BlockerStateRecord {
    std::uint32_t LastKeyTick = 0;
    std::uint32_t BlockInterval = 500;
    bool BlockOtherEvents = true;
    HHOOK KeyboardHook = nullptr;
    HHOOK MouseHook = nullptr;
    HWND NotifyWindow = nullptr;
    rule::SmartOptions Smart;
    // Kept up to date outside the hooks while pausing in full-screen programs is on.
    bool FullScreenPause = false;
    FullScreenWatch* FullScreen = nullptr;  // the watch that sets FullScreenPause, while one lives
    rule::KeyboardState Keys;
};

// Process-wide; written by the main window, read by the hook procedures on the same thread.
extern BlockerStateRecord BlockerState;

void InstallHooks(HWND window);
void UninstallHooks();

LRESULT CALLBACK KeyboardHookProc(int nCode, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK MouseHookProc(int nCode, WPARAM wParam, LPARAM lParam);

}  // namespace quorlin
