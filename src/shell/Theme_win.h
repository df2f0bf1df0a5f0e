// Which taskbar the tray icon sits on: light or dark (Windows 10 and later; earlier systems have
// no such setting and count as dark, as their default taskbars are).
#pragma once
#include <windows.h>

namespace quorlin {

// SystemUsesLightTheme under the user's Personalize key is 1; absent, 0 or unreadable is dark.
bool TaskbarUsesLightTheme();
// A WM_SETTINGCHANGE that announces a change of the colour set, the taskbar's theme among it.
bool IsColorSetChange(UINT msg, LPARAM lp);

}  // namespace quorlin
