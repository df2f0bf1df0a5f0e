// Helpers for tests that drive real Win32 under Wine: processes, input injection, message pumping.
#pragma once
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "base/Unique_win.h"

namespace testsupport {

// Folder of the running test executable (the programs under test are built beside it).
std::wstring ExeDir();
// A fresh file name in the temporary folder, not yet created.
std::wstring TempFile(const std::wstring& stem);
std::string ReadFileText(const std::wstring& path);

// Makes command (with "%1" for the address) the handler of a URL scheme under root's
// Software\Classes. Wine's shell ignores per-user handlers: tests register machine-wide in
// their throwaway prefix.
bool RegisterUrlHandler(HKEY root, const wchar_t* scheme, const std::wstring& command);

struct Process {
    quorlin::UniqueHandle process;
    quorlin::UniqueHandle thread;
    DWORD id = 0;
    // Waits up to timeoutMs; returns the exit code or STILL_ACTIVE.
    DWORD Wait(DWORD timeoutMs) const;
    void Kill() const;
};
// Starts exe (relative names are taken from ExeDir) with the given argument text.
Process Start(const std::wstring& exe, const std::wstring& args = L"");

// Processes this thread's messages for the given time (input reaches our windows only this way).
void PumpFor(DWORD ms);
// Pumps until pred() is true or the time is up; returns pred()'s last value.
bool PumpUntil(const std::function<bool()>& pred, DWORD timeoutMs);

// Real input through SendInput (it passes every low-level hook of the desktop).
void SendKey(WORD vk, bool up, ULONG_PTR extraInfo = 0);
void TypeKey(WORD vk);               // press and release
void MoveTo(int x, int y);           // absolute screen position
// Puts the pointer there for what follows, with SetCursorPos: no input event, which under Wine no
// low-level hook sees or swallows, and Wine's X pointer goes there too (see TestSupport.cpp).
void PlacePointer(int x, int y);
void MouseButton(DWORD flags, DWORD data = 0);
// Keeps the pointer where a click helper put it until the helper's events are in. Wine's X driver
// echoes each SetCursorPos back as moves that other processes inject on their own schedule: the
// desktop reports the pointer's previous position (the driver grabs the pointer to warp it), the
// window under it the new one when its thread next waits. An echo that lands between the helper's
// move and its press takes the press back to the earlier spot (a double click there if that was
// the last click's). While a PointerHold lives, a low-level hook of this thread drops every move
// that is not injected and lands elsewhere; the thread must pump meanwhile (SendInput does).
class PointerHold {
public:
    PointerHold(int x, int y);

private:
    quorlin::UniqueHook hook_;
};
// The pointer placed there first, then the events, each carrying the position too.
void Click(int x, int y);            // move, left down, left up
void PressAndReleaseAt(int x, int y);  // left down and up at a position, with no move before them
void Wheel(int delta);

// A visible top-level window of the test's own that records the mouse messages it receives.
class RecordingWindow {
public:
    RecordingWindow(int x, int y, int w, int h, const wchar_t* title = L"Test window");
    HWND hwnd() const { return hwnd_.get(); }
    POINT Center() const;
    bool Received(UINT msg) const;
    int Count(UINT msg) const;
    void Clear() { messages_.clear(); }
    const std::vector<UINT>& Messages() const { return messages_; }

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    quorlin::UniqueWindow hwnd_;
    std::vector<UINT> messages_;
};

}  // namespace testsupport
