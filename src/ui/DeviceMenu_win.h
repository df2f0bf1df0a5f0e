// The options that leave external mice and keyboards alone, the user's placement of single
// devices, and the "Input devices" submenu that shows and changes it.
#pragma once
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "settings/Settings.h"
#include "shell/PopupMenu_win.h"

namespace quorlin {

class ExternalDevices {
public:
    bool IgnoreMouse = false;
    bool IgnoreKeyboard = false;
    std::map<std::wstring, std::uint32_t> Overrides;  // as AppSettings::DeviceOverrides

    void Load(const AppSettings& s);
    void Store(AppSettings& s) const;
    // Hands the hook thread the devices present now. With both options off it takes raw input
    // down and costs nothing more.
    void Apply();
    // The devices present now, pointing devices first, one item per physical device, checked when
    // treated as built in; choosing one places it the other way at once.
    void FillMenu(TMenuItem& submenu);
};

}  // namespace quorlin
