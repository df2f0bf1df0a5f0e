// Which input devices are part of the computer, and which device a hook event came from. Free of
// system calls: the hooks and the device list feed it what the system says.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorlin::devices {

// How the user placed a device from the "Input devices" submenu; stored as a DWORD per device.
enum class Placement : std::uint32_t { Automatic = 0, BuiltIn = 1, External = 2 };

// Anything but a DWORD 1 or 2 means automatic, so a damaged value never hides a device's own class.
constexpr Placement PlacementFromStored(bool isDword, std::uint32_t value) noexcept {
    if (!isDword) return Placement::Automatic;
    return value == 1 ? Placement::BuiltIn : value == 2 ? Placement::External : Placement::Automatic;
}

enum class PathClass { BuiltIn, External, Unknown };

// What a raw input interface path says about its bus: ACPI and PS/2 (i8042) devices and I2C HID
// devices (an ACPI-style ID after "HID#") are built in; USB and Bluetooth HID devices are external.
PathClass ClassifyInterfacePath(std::wstring_view path) noexcept;

// The first rule that knows wins: the user's placement, the device container's "part of the
// computer", the path. A device nothing can place counts as built in, so it is blocked as before.
bool IsBuiltIn(Placement placement, std::optional<bool> inLocalMachineContainer, std::wstring_view path) noexcept;

// The device instance ID an interface path is made from: without its "\\?\" and its interface class
// GUID, '#' back to '\': "\\?\HID#VID_045E&PID_0745#7&1a2b&0&0000#{...}" -> "HID\VID_045E&PID_0745\7&1a2b&0&0000".
std::wstring InstanceIdFromPath(std::wstring_view path);

// The registry value name of a device's placement: its interface path, upper-cased.
std::wstring PlacementValueName(std::wstring_view path);

// The devices present and whether each is external, looked up by raw input handle in the hooks.
// Filled outside the hooks; a fixed table, so a lookup allocates nothing.
class DeviceTable {
public:
    static constexpr int kCapacity = 32;
    void Clear() noexcept { count_ = 0; }
    void Add(std::uintptr_t handle, bool external) noexcept;
    // No handle (a precision touchpad's own pointer input, or input injected without a device) and
    // a handle the table does not know both count as built in.
    bool IsExternal(std::uintptr_t handle) const noexcept;

private:
    struct Entry {
        std::uintptr_t Handle;
        bool External;
    };
    Entry entries_[kCapacity]{};
    int count_ = 0;
};

enum class Kind : std::uint8_t { Mouse, Keyboard };

// One event as raw input reported it. Parts: for a keyboard, the key and whether it was released;
// for a mouse, one bit per button transition and wheel, and kMovePart when the pointer moved or
// nothing else happened.
struct RawEvent {
    Kind Type = Kind::Mouse;
    std::uintptr_t Device = 0;
    std::uint32_t Time = 0;
    std::uint32_t Parts = 0;
};

inline constexpr std::uint32_t kMovePart = 1u << 16;
inline constexpr std::uint32_t kKeyUpPart = 1u << 8;

// Raw input's button flags (and whether it moved) as parts.
constexpr std::uint32_t MouseParts(std::uint16_t buttonFlags, bool moved) noexcept {
    const std::uint32_t buttons = buttonFlags & 0x0FFFu;
    return buttons | ((moved || buttons == 0) ? kMovePart : 0u);
}

// The part of a low-level mouse hook message; 0 for a message raw input never reports.
constexpr std::uint32_t MouseHookPart(std::uintptr_t message, std::uint32_t mouseData) noexcept {
    const bool x2 = (mouseData >> 16) == 2;
    switch (message) {
    case 0x200: return kMovePart;
    case 0x201: case 0x203: return 0x0001;
    case 0x202: return 0x0002;
    case 0x204: case 0x206: return 0x0004;
    case 0x205: return 0x0008;
    case 0x207: case 0x209: return 0x0010;
    case 0x208: return 0x0020;
    case 0x20B: case 0x20D: return x2 ? 0x0100 : 0x0040;
    case 0x20C: return x2 ? 0x0200 : 0x0080;
    case 0x20A: return 0x0400;
    case 0x20E: return 0x0800;
    default: return 0;
    }
}

// A key's part. Raw input names Shift, Ctrl and Alt without their side; the hooks name the side.
constexpr std::uint32_t KeyPart(std::uint32_t vk, bool up) noexcept {
    if (vk == 160 || vk == 161) vk = 16;
    else if (vk == 162 || vk == 163) vk = 17;
    else if (vk == 164 || vk == 165) vk = 18;
    return (vk & 0xFFu) | (up ? kKeyUpPart : 0u);
}

// Pairs each hook event with the raw input event the system queued for it. Raw events are kept in
// arrival order in a fixed ring; a hook event takes the oldest one of its kind that holds its part
// and lies within kTolerance of its time. Older ones of that kind are dropped: their hook events
// never came (another program's hook took them), so they can never match again.
class RawInputMatcher {
public:
    static constexpr int kCapacity = 64;
    static constexpr std::uint32_t kTolerance = 250;  // ms between an event's raw and hook time stamps

    void AddRaw(const RawEvent& event) noexcept;
    // The device of the hook event, or nothing when no queued raw event fits it.
    std::optional<std::uintptr_t> Match(Kind type, std::uint32_t part, std::uint32_t time) noexcept;
    int Pending() const noexcept { return count_; }

private:
    RawEvent& At(int i) noexcept { return ring_[(head_ + i) % kCapacity]; }
    void Remove(int i) noexcept;
    RawEvent ring_[kCapacity]{};
    int head_ = 0;
    int count_ = 0;
};

}  // namespace quorlin::devices
