// A visible top-level window for tests of the control wrappers: it reflects its children's
// notifications to their wrappers and gives them its font (Arial, 12 pixels).
#pragma once
#include <windows.h>

#include "base/Unique_win.h"

namespace testsupport {

// A left click whose press and release carry the position themselves. Wine sometimes takes a
// bare button event's position from a stale pointer location (for example where an earlier test
// clicked), so the plain move-then-press can land elsewhere.
void ClickAt(POINT p);

class ControlHost {
public:
    ControlHost(int x, int y, int clientWidth, int clientHeight, const wchar_t* title = L"Control host");
    HWND hwnd() const { return hwnd_.get(); }
    HFONT font() const { return static_cast<HFONT>(font_.get()); }
    // Brings the window to the foreground so that injected input reaches it.
    bool Activate() const;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    quorlin::UniqueGdiObject font_;
    quorlin::UniqueWindow hwnd_;
};

}  // namespace testsupport
