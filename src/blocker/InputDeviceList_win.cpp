#include "blocker/InputDeviceList_win.h"

#include <cfgmgr32.h>
#include <devpropdef.h>

#include "base/System_win.h"

namespace quorlin {

namespace {

constexpr DEVPROPKEY kFriendlyName{{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 14};
constexpr DEVPROPKEY kDeviceDesc{{0xa45c254e, 0xdf1c, 0x4efd, {0x80, 0x20, 0x67, 0xd1, 0x46, 0xa8, 0x50, 0xe0}}, 2};
constexpr DEVPROPKEY kInLocalMachineContainer{
    {0x8c7ed206, 0x3f8a, 0x4827, {0xb3, 0xab, 0xae, 0x9e, 0x1f, 0xae, 0xfc, 0x6c}}, 4};

// cfgmgr32.dll is no KnownDLL: taken from the system folder. Systems (and Wine) without a call
// leave its pointer null, and the path alone then places the device.
struct ConfigManager {
    CONFIGRET(WINAPI* Locate)(PDEVINST, DEVINSTID_W, ULONG) = nullptr;
    CONFIGRET(WINAPI* Parent)(PDEVINST, DEVINST, ULONG) = nullptr;
    CONFIGRET(WINAPI* Id)(DEVINST, PWSTR, ULONG, ULONG) = nullptr;
    CONFIGRET(WINAPI* Property)(DEVINST, const DEVPROPKEY*, DEVPROPTYPE*, PBYTE, PULONG, ULONG) = nullptr;
};

const ConfigManager& Api() {
    static const ConfigManager api = [] {
        ConfigManager a;
        if (HMODULE m = LoadSystemLibrary(L"cfgmgr32.dll")) {
            a.Locate = GetProc<decltype(a.Locate)>(m, "CM_Locate_DevNodeW");
            a.Parent = GetProc<decltype(a.Parent)>(m, "CM_Get_Parent");
            a.Id = GetProc<decltype(a.Id)>(m, "CM_Get_Device_IDW");
            a.Property = GetProc<decltype(a.Property)>(m, "CM_Get_DevNode_PropertyW");
        }
        return a;
    }();
    return api;
}

std::optional<std::wstring> TextProperty(DEVINST node, const DEVPROPKEY& key) {
    if (!Api().Property) return std::nullopt;
    wchar_t text[256];
    DEVPROPTYPE type = 0;
    ULONG size = sizeof text;
    if (Api().Property(node, &key, &type, reinterpret_cast<BYTE*>(text), &size, 0) != CR_SUCCESS ||
        type != DEVPROP_TYPE_STRING || size < sizeof(wchar_t))
        return std::nullopt;
    text[size / sizeof(wchar_t) - 1] = L'\0';
    return text[0] ? std::optional<std::wstring>(text) : std::nullopt;
}

std::optional<bool> BoolProperty(DEVINST node, const DEVPROPKEY& key) {
    if (!Api().Property) return std::nullopt;
    DEVPROP_BOOLEAN value = DEVPROP_FALSE;
    DEVPROPTYPE type = 0;
    ULONG size = sizeof value;
    if (Api().Property(node, &key, &type, reinterpret_cast<BYTE*>(&value), &size, 0) != CR_SUCCESS ||
        type != DEVPROP_TYPE_BOOLEAN)
        return std::nullopt;
    return value != DEVPROP_FALSE;
}

std::optional<DEVINST> Node(std::wstring instanceId) {
    DEVINST node = 0;
    if (!Api().Locate || Api().Locate(&node, instanceId.data(), CM_LOCATE_DEVNODE_NORMAL) != CR_SUCCESS)
        return std::nullopt;
    return node;
}

std::optional<std::wstring> ParentId(DEVINST node) {
    DEVINST parent = 0;
    wchar_t id[MAX_DEVICE_ID_LEN + 1] = {};
    if (!Api().Parent || !Api().Id || Api().Parent(&parent, node, 0) != CR_SUCCESS ||
        Api().Id(parent, id, MAX_DEVICE_ID_LEN, 0) != CR_SUCCESS)
        return std::nullopt;
    return std::wstring(id);
}

std::wstring DeviceName(HANDLE handle) {
    UINT chars = 0;
    if (GetRawInputDeviceInfoW(handle, RIDI_DEVICENAME, nullptr, &chars) != 0 || chars == 0) return {};
    std::wstring name(chars, L'\0');
    if (GetRawInputDeviceInfoW(handle, RIDI_DEVICENAME, name.data(), &chars) == static_cast<UINT>(-1)) return {};
    name.resize(name.find(L'\0') == std::wstring::npos ? name.size() : name.find(L'\0'));
    return name;
}

InputDevice Describe(const RAWINPUTDEVICELIST& entry) {
    InputDevice d;
    d.Handle = reinterpret_cast<std::uintptr_t>(entry.hDevice);
    d.Type = entry.dwType == RIM_TYPEMOUSE ? devices::Kind::Mouse : devices::Kind::Keyboard;
    d.Path = DeviceName(entry.hDevice);
    const std::wstring instance = devices::InstanceIdFromPath(d.Path);
    d.Name = instance;
    d.Group = instance;
    if (const auto node = Node(instance)) {
        if (auto name = TextProperty(*node, kFriendlyName)) d.Name = *name;
        else if (auto desc = TextProperty(*node, kDeviceDesc)) d.Name = *desc;
        if (auto parent = ParentId(*node)) d.Group = *parent;
        d.InLocalMachineContainer = BoolProperty(*node, kInLocalMachineContainer);
    }
    return d;
}

}  // namespace

std::vector<InputDevice> ListInputDevices() {
    std::vector<RAWINPUTDEVICELIST> list;
    UINT count = 0;
    // The list may grow between asking its size and reading it; a few attempts settle that.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) != 0) return {};
        list.resize(count);
        const UINT got = GetRawInputDeviceList(list.data(), &count, sizeof(RAWINPUTDEVICELIST));
        if (got != static_cast<UINT>(-1)) {
            list.resize(got);
            break;
        }
        list.clear();
    }
    std::vector<InputDevice> devices;
    for (const DWORD type : {DWORD{RIM_TYPEMOUSE}, DWORD{RIM_TYPEKEYBOARD}})
        for (const auto& entry : list)
            if (entry.dwType == type) devices.push_back(Describe(entry));
    return devices;
}

devices::Placement StoredPlacement(const std::map<std::wstring, std::uint32_t>& overrides, const std::wstring& path) {
    const auto it = overrides.find(devices::PlacementValueName(path));
    return it == overrides.end() ? devices::Placement::Automatic : devices::PlacementFromStored(true, it->second);
}

bool IsBuiltIn(const InputDevice& device, const std::map<std::wstring, std::uint32_t>& overrides) {
    return devices::IsBuiltIn(StoredPlacement(overrides, device.Path), device.InLocalMachineContainer, device.Path);
}

devices::DeviceTable MakeDeviceTable(const std::vector<InputDevice>& present,
                                     const std::map<std::wstring, std::uint32_t>& overrides) {
    devices::DeviceTable table;
    for (const auto& device : present) table.Add(device.Handle, !IsBuiltIn(device, overrides));
    return table;
}

}  // namespace quorlin
