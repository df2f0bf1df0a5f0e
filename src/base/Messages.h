// Every private window message and command number of the program, in one place, so that no two
// share a number by accident.
#pragma once
#include <windows.h>

namespace quorlin {

// Between instances (their numbers are part of the handshake and never change).
// Posted to the running instance's application window by a second start: wParam the sender's
// application window, lParam its module instance handle.
inline constexpr UINT WM_ACTIVATE_INSTANCE = 0x8AE5;
// Posted to the running instance's application window by a start with "/exit": end as the end of
// the Windows session does.
inline constexpr UINT WM_END_INSTANCE = 0x8AE6;

// Swallowed wherever it is taken from the queue (a message of the original program).
inline constexpr UINT WM_SWALLOWED = 0x7AE;

// The callback message the shell sends to the tray icon's window.
inline constexpr UINT WM_TRAY_CALLBACK = WM_USER + 211;

// To the main window from the Activity window: the user closed it, so it may go.
inline constexpr UINT WM_ACTIVITY_CLOSED = WM_APP + 0x44;
// To the application window: hand its activation on to the program's window in front.
inline constexpr UINT WM_ACTIVATE_FRONT = WM_APP + 0x200;

// The hook path's own numbers stay beside it until it is reworked: WM_BLOCKED_EVENT (0x753) in
// blocker/BlockingRule.h; WM_INPUT_DEVICES_CHANGED (WM_APP + 0x41) and WM_FOREGROUND_RULE
// (WM_APP + 0x42) in blocker/InputHooks_win.h; the hook thread's job (WM_APP + 0x40) and the raw
// input window's own (WM_APP + 1, to a window of its own) in their files.

// Commands of the settings window's system menu entries (below the system's own, 0xF000 up; the
// low four bits are the system's).
inline constexpr UINT kSysCmdSplit = 0x0010;
inline constexpr UINT kSysCmdAbout = 0x0020;

}  // namespace quorlin
