// Whether a full-screen program is in front, worked out outside the input hooks: they read only
// BlockerState.FullScreenPause.
#pragma once
#include <windows.h>

#include "base/Unique_win.h"

namespace quorlin {

// The window covers its whole monitor and is not the desktop or the shell's, or the shell reports
// a full-screen Direct3D program or presentation mode.
bool IsFullScreenProgram(HWND foreground);

// While it lives, BlockerState.FullScreenPause follows the foreground window: at once when the
// system reports a new foreground window or a move of it, and at every Check().
class FullScreenWatch {
public:
    FullScreenWatch();
    ~FullScreenWatch();
    FullScreenWatch(const FullScreenWatch&) = delete;
    FullScreenWatch& operator=(const FullScreenWatch&) = delete;

    void Check();
    // The system has reported a foreground change or a move: its events keep the flag current.
    bool EventsArrive() const { return eventsArrive_; }

private:
    static void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD);
    UniqueWinEventHook foreground_;
    UniqueWinEventHook location_;  // moves of the foreground window's thread only, not every pointer move
    DWORD locationThread_ = 0;
    bool eventsArrive_ = false;
};

}  // namespace quorlin
