#include "ui/DeviceMenu_win.h"

#include <vector>

#include "blocker/InputDeviceList_win.h"
#include "blocker/InputHooks_win.h"

namespace quorlin {

namespace {

// Instance IDs are full of '&', which a menu would take for the next letter's underline.
std::wstring MenuText(const std::wstring& name) {
    std::wstring text;
    for (wchar_t c : name) {
        if (c == L'&') text += L'&';
        text += c;
    }
    return text;
}

}  // namespace

void ExternalDevices::Load(const AppSettings& s) {
    IgnoreMouse = s.IgnoreExternalMouse;
    IgnoreKeyboard = s.IgnoreExternalKeyboard;
    Overrides = s.DeviceOverrides;
}

void ExternalDevices::Store(AppSettings& s) const {
    s.IgnoreExternalMouse = IgnoreMouse;
    s.IgnoreExternalKeyboard = IgnoreKeyboard;
    s.DeviceOverrides = Overrides;
}

void ExternalDevices::Apply() {
    if (!IgnoreMouse && !IgnoreKeyboard) {
        SetExternalDevices(false, false, {});
        return;
    }
    SetExternalDevices(IgnoreMouse, IgnoreKeyboard, MakeDeviceTable(ListInputDevices(), Overrides));
}

void ExternalDevices::FillMenu(TMenuItem& submenu) {
    submenu.ClearItems();
    // Every collection of one physical device (a keyboard's media keys, a mouse's extra buttons)
    // shares its parent, and goes under one item.
    struct Entry {
        std::wstring Group;
        std::vector<std::wstring> Paths;
        bool BuiltIn;
        TMenuItem* Item;
    };
    std::vector<Entry> entries;
    for (const InputDevice& device : ListInputDevices()) {
        bool found = false;
        for (Entry& e : entries)
            if (e.Group == device.Group) {
                e.Paths.push_back(device.Path);
                found = true;
            }
        if (found) continue;
        TMenuItem& item = submenu.Add(MenuText(device.Name));
        entries.push_back({device.Group, {device.Path}, IsBuiltIn(device, Overrides), &item});
    }
    for (Entry& e : entries) {
        e.Item->Checked = e.BuiltIn;
        const std::uint32_t flipped = e.BuiltIn ? 2 : 1;
        e.Item->OnClick = [this, paths = e.Paths, flipped](TObject&) {
            for (const auto& path : paths) Overrides[devices::PlacementValueName(path)] = flipped;
            Apply();
        };
    }
}

}  // namespace quorlin
