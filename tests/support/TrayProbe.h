// What the notification area shows, read from outside the program: the taskbar's tips (through
// its tooltip control, with memory in the taskbar's process), balloon windows and popup menus.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

struct TrayTool {
    HWND hwnd = nullptr;
    UINT_PTR id = 0;
    RECT rect{};
    std::wstring text;
};

// The taskbar window ("Shell_TrayWnd"); null when there is none.
HWND Taskbar();
// Every tool of the tooltip controls that belong to the taskbar's process. The rectangle is in
// the taskbar's client coordinates; a removed icon may leave its tool behind with an empty one.
std::vector<TrayTool> TrayTools();
// The icons on show (tools with a rectangle) whose tip is exactly text.
int CountToolsWithText(const std::wstring& text);
// Visible balloon windows (tooltips_class32 with the balloon style) and their texts.
std::vector<std::wstring> VisibleBalloonTexts();
// Pumps until a visible balloon shows exactly text; false after ms.
bool BalloonShown(const std::wstring& text, DWORD ms = 12000);
// The visible popup menu window (class "#32768"), or null.
HWND VisibleMenu();
// Colour of a screen pixel.
COLORREF ScreenPixel(int x, int y);

}  // namespace testsupport
