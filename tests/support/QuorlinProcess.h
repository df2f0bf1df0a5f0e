// The real Quorlin.exe as a second process: start it, find its windows and tray icon, read and
// write its registry settings, stop it. For end-to-end tests that look at it the way a user does.
#pragma once
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace testsupport {

inline constexpr wchar_t kQuorlinKey[] = L"Software\\VENTARIS\\Quorlin";
inline constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// ---- Registry (HKCU) ----
void DeleteSettingsKey();
bool SettingsKeyExists();
void WriteDword(const wchar_t* name, DWORD value, const wchar_t* key = kQuorlinKey);
void WriteText(const wchar_t* name, const std::wstring& value, const wchar_t* key = kQuorlinKey);
// Any type and bytes, for values of the wrong type or size.
void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size, const wchar_t* key = kQuorlinKey);
std::optional<DWORD> ValueType(const wchar_t* name, const wchar_t* key = kQuorlinKey);
std::optional<DWORD> ReadDword(const wchar_t* name, const wchar_t* key = kQuorlinKey);
std::optional<std::wstring> ReadText(const wchar_t* name, const wchar_t* key = kQuorlinKey);

// ---- Windows of another process ----
std::wstring TextOf(HWND hwnd);  // WM_GETTEXT, which the system carries across processes
// The first descendant of parent with the class (case-insensitive) and exact text; null when none.
HWND FindChild(HWND parent, const wchar_t* className, const std::wstring& text);
// The first descendant whose text starts with prefix.
HWND FindChildStartingWith(HWND parent, const wchar_t* className, const std::wstring& prefix);
// A check box (not a group box of the same text).
HWND FindCheckBox(HWND parent, const std::wstring& text);
bool IsChecked(HWND button);
// Visible top-level windows of the class that belong to the process.
std::vector<HWND> TopLevelWindows(DWORD pid, const wchar_t* className);
// A point on the window's caption where the system reports the close button; {-1,-1} when none.
POINT CloseButtonPoint(HWND hwnd);

// The pixels of a screen rectangle, row by row.
std::vector<COLORREF> ScreenPixels(const RECT& r);

// ---- Input with the blocker in mind ----
// A key through SendInput, remembered so that SafeClick can wait out the blocking interval.
void TypeKeyNoted(WORD vk);
// Pumps until at least quietMs have passed since the last noted key.
void WaitAfterKeys(DWORD quietMs);
// Waits until at least quietMs have passed since the last noted key, then clicks (SendInput).
void SafeClick(int x, int y, DWORD quietMs = 650);
void SafeClickWindow(HWND hwnd);  // near the left edge, vertically centred: a check box's mark
void SafeRightClick(int x, int y, DWORD quietMs = 650);

// ---- The program ----
class QuorlinProcess {
public:
    QuorlinProcess() = default;
    // Another copy of the program than the build's (an installed one).
    explicit QuorlinProcess(std::wstring exe) : exe_(std::move(exe)) {}
    void UseExe(std::wstring exe) { exe_ = std::move(exe); }
    QuorlinProcess(const QuorlinProcess&) = delete;
    QuorlinProcess& operator=(const QuorlinProcess&) = delete;
    ~QuorlinProcess() { Kill(); }

    // Starts build-dir Quorlin.exe and waits until its settings window exists and its tray icon
    // shows the tip (the last step of its start-up). False, with Problem() set, otherwise.
    bool Start(DWORD timeoutMs = 15000);
    // Starts it without waiting for anything (a second instance).
    void Launch();
    const std::string& Problem() const { return problem_; }

    DWORD Pid() const { return process_.id; }
    HWND Window() const { return window_; }
    bool Running() const { return process_.process && process_.Wait(0) == STILL_ACTIVE; }
    // Exit code, or STILL_ACTIVE after the time-out.
    DWORD WaitExit(DWORD ms) const { return process_.process ? process_.Wait(ms) : 0; }
    bool Visible() const { return window_ && IsWindowVisible(window_); }

    // Whether the hotkey is free (nobody holds it; GetLastError tells why not). The probe holds
    // the hotkey for a moment, so the program's thread is stopped meanwhile: a registration of
    // its own falling into that moment would be refused and marked as taken by another program.
    bool HotkeyFree(UINT modifiers, UINT key) const;

    // The tray icon of this process: its tip and its screen rectangle (empty when not shown).
    std::wstring TrayTip() const;
    RECT TrayIconRect() const;
    POINT TrayIconCenter() const;
    // Opens the tray menu with a right click on the icon; true when a menu window appeared.
    bool OpenTrayMenu();

    // Ends it the way the end of the session does (it saves), then closes its window.
    void Stop();
    void Kill();

private:
    std::wstring exe_;
    Process process_;
    HWND window_ = nullptr;
    std::string problem_;
};

}  // namespace testsupport
