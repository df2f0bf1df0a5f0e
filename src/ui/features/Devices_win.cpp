#include "ui/features/Devices_win.h"

#include <atomic>
#include <vector>

#include "base/Text_win.h"
#include "base/resource.h"
#include "blocker/InputDeviceList_win.h"
#include "blocker/InputHooks_win.h"
#include "ui/model/StatusText.h"

namespace quorlin {

void Devices::AddMenuItems(TrayMenu&) {
    // The item shows the option in force; choosing it asks for the other state, so an option the
    // system refused is asked for again (and the answer told again).
    auto option = [this](UINT caption, bool AppSettings::*value, const std::atomic<bool>& inForce) {
        TMenuItem& item = smart_.AddItem(LoadResString(caption));
        item.OnClick = [this, value, &inForce] {
            Settings().*value = !inForce.load();
            refusalTold_ = false;
            Apply();
        };
        return &item;
    };
    mouseItem_ = option(IDS_MI_IGNORE_EXTERNAL_MOUSE, &AppSettings::IgnoreExternalMouse, BlockerState.IgnoreExternalMouse);
    keyboardItem_ =
        option(IDS_MI_IGNORE_EXTERNAL_KEYBOARD, &AppSettings::IgnoreExternalKeyboard, BlockerState.IgnoreExternalKeyboard);
    smart_.AddItem(L"-");
    submenu_ = &smart_.AddItem(LoadResString(IDS_MI_INPUT_DEVICES));
}

void Devices::Apply() {
    const bool mouse = Settings().IgnoreExternalMouse, keyboard = Settings().IgnoreExternalKeyboard;
    if (!mouse && !keyboard) {
        SetExternalDevices(false, false, {});
        return;
    }
    SetExternalDevices(mouse, keyboard, MakeDeviceTable(ListInputDevices(), Settings().DeviceOverrides));
    // An option the system would not give raw input for is off, and the user is told why, once for
    // each time it is asked for. The wish stays stored, so the next start asks again.
    const bool refused = (mouse && !BlockerState.IgnoreExternalMouse) || (keyboard && !BlockerState.IgnoreExternalKeyboard);
    if (refused && !refusalTold_) host_.feedback(StatusKind::DevicesRefused);
    refusalTold_ = refused;
}

void Devices::Refresh() {
    mouseItem_->Checked = BlockerState.IgnoreExternalMouse.load();
    keyboardItem_->Checked = BlockerState.IgnoreExternalKeyboard.load();
}

void Devices::MenuOpening() { FillSubmenu(); }

bool Devices::OnMessage(UINT msg, WPARAM, LPARAM, LRESULT& result) {
    if (msg != WM_INPUT_DEVICES_CHANGED) return false;
    Apply();
    result = 0;
    return true;
}

void Devices::FillSubmenu() {
    submenu_->ClearItems();
    // Every collection of one physical device (a keyboard's media keys, a mouse's extra buttons)
    // shares its parent, and goes under one item.
    struct Entry {
        std::wstring Group;
        std::vector<std::wstring> Paths;
        bool BuiltIn;
        TMenuItem* Item;
    };
    std::vector<Entry> entries;
    auto& overrides = Settings().DeviceOverrides;
    for (const InputDevice& device : ListInputDevices()) {
        bool found = false;
        for (Entry& e : entries)
            if (e.Group == device.Group) {
                e.Paths.push_back(device.Path);
                found = true;
            }
        if (found) continue;
        TMenuItem& item = submenu_->Add(MenuText(device.Name));
        entries.push_back({device.Group, {device.Path}, IsBuiltIn(device, overrides), &item});
    }
    for (Entry& e : entries) {
        e.Item->Checked = e.BuiltIn;
        const std::uint32_t flipped = e.BuiltIn ? 2 : 1;
        e.Item->OnClick = [this, paths = e.Paths, flipped] {
            for (const auto& path : paths) Settings().DeviceOverrides[devices::PlacementValueName(path)] = flipped;
            Apply();
        };
    }
}

}  // namespace quorlin
