// The window "Quorlin activity": the presses soon after a key read from the hooks' ring, their
// histogram with the interval in force, the suggested interval and the buttons that copy the list
// and the diagnostics report. Resizable, laid out anew at each DPI, usable with the keyboard.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/Unique_win.h"
#include "blocker/ForegroundProgram_win.h"
#include "shell/Application_win.h"
#include "shell/Window_win.h"
#include "ui/model/Activity.h"

namespace quorlin {

// The DPI of a monitor; the system's where the system cannot say per monitor.
int MonitorDpi(HMONITOR monitor);

class ActivityWindow : public TWindow, private TMessageFilter {
public:
    struct Host {
        std::function<std::uint32_t()> interval;           // the interval in force
        std::function<void(std::uint32_t)> useInterval;    // "Use N ms"
        std::function<std::wstring()> diagnostics;         // the report's text
        std::function<void()> closed;                      // the user closed the window (posted later)
        // The input order: whether it can be observed now (no device option on, nothing counted yet),
        // and raw input for both kinds switched on or off for that.
        std::function<bool()> canObserve;
        std::function<void(bool)> observe;
        // Where the ring is read from: what "Clear" left behind stays gone in the next window too.
        std::uint32_t readFrom = 0;
        std::function<void(std::uint32_t)> cleared;
    };

    // Created shown and in front, on the monitor of the pointer.
    explicit ActivityWindow(Host host);
    ~ActivityWindow() override;

    void BringToFront();

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    bool PreTranslateMessage(MSG& msg) override;
    void MakeControls();
    void ApplyDpi(int dpi);
    void Layout();
    // Takes what the hooks wrote since the last look; true when anything came.
    bool ReadRing();
    void Show();
    void Paint(HDC dc, const RECT& area);
    void Copy(const std::wstring& text);
    void Observe(bool on);
    int S(int designValue) const;

    Host host_;
    activity::Log log_;
    activity::Words words_;
    ProcessNames names_;
    std::uint32_t read_ = 0;  // the ring's count at the last look
    int dpi_ = 96;
    UniqueGdiObject font_;
    HWND list_ = nullptr;
    HWND sentence_ = nullptr;
    HWND use_ = nullptr;
    HWND copy_ = nullptr;
    HWND clear_ = nullptr;
    HWND diagnostics_ = nullptr;
    HWND observe_ = nullptr;
    bool observing_ = false;
    std::uint32_t suggested_ = 0;  // what "Use N ms" sets; 0 while nothing is suggested
    std::uint32_t shownInterval_ = 0;
};

}  // namespace quorlin
