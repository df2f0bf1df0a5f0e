// The mice and keyboards present, as raw input lists them, and what the system knows about each:
// read on the GUI thread, never in the hooks.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "blocker/InputDevices.h"

namespace quorlin {

struct InputDevice {
    std::uintptr_t Handle = 0;
    devices::Kind Type = devices::Kind::Mouse;
    std::wstring Path;   // the interface path raw input names it by
    std::wstring Name;   // its friendly name or description, else its instance ID
    std::wstring Group;  // the same for every collection of one physical device
    std::optional<bool> InLocalMachineContainer;
};

// Pointing devices first, then keyboards, each in the system's order.
std::vector<InputDevice> ListInputDevices();

// The user's placement of a device, from the stored overrides (upper-cased path -> 1 or 2).
devices::Placement StoredPlacement(const std::map<std::wstring, std::uint32_t>& overrides, const std::wstring& path);

bool IsBuiltIn(const InputDevice& device, const std::map<std::wstring, std::uint32_t>& overrides);

// The table the hooks look devices up in.
devices::DeviceTable MakeDeviceTable(const std::vector<InputDevice>& present,
                                     const std::map<std::wstring, std::uint32_t>& overrides);

}  // namespace quorlin
