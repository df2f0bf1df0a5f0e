#include "blocker/InputDevices.h"

namespace quorlin::devices {

namespace {

constexpr wchar_t Upper(wchar_t c) noexcept { return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c; }

bool StartsWith(std::wstring_view text, std::wstring_view prefix) noexcept {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i)
        if (Upper(text[i]) != prefix[i]) return false;
    return true;
}

constexpr bool IsHex(wchar_t c) noexcept {
    c = Upper(c);
    return (c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'F');
}

constexpr bool IsLetter(wchar_t c) noexcept { return Upper(c) >= L'A' && Upper(c) <= L'Z'; }

// An ACPI or PNP ID: three or four letters (a digit may follow the first) and four hex digits,
// as SYNA7DB5, ELAN0501, MSFT0001, PNP0C50 or DLL07A9, ending the ID or followed by '&'.
bool IsAcpiStyleId(std::wstring_view id) noexcept {
    std::size_t end = id.find(L'&');
    if (end == std::wstring_view::npos) end = id.size();
    if (end != 7 && end != 8) return false;
    const std::size_t vendor = end - 4;
    if (!IsLetter(id[0])) return false;
    for (std::size_t i = 1; i < vendor; ++i)
        if (!IsLetter(id[i]) && !(id[i] >= L'0' && id[i] <= L'9')) return false;
    for (std::size_t i = vendor; i < end; ++i)
        if (!IsHex(id[i])) return false;
    return true;
}

std::wstring_view WithoutPrefix(std::wstring_view path) noexcept {
    for (std::wstring_view prefix : {L"\\\\?\\", L"\\??\\", L"\\\\.\\"})
        if (StartsWith(path, prefix)) {
            path.remove_prefix(prefix.size());
            break;
        }
    return path;
}

}  // namespace

std::wstring InstanceIdFromPath(std::wstring_view path) {
    path = WithoutPrefix(path);
    // The interface class is the last part, and a GUID; a Bluetooth ID may hold one of its own.
    const std::size_t last = path.rfind(L'#');
    if (last != std::wstring_view::npos && path.size() > last + 2 && path[last + 1] == L'{' && path.back() == L'}')
        path = path.substr(0, last);
    std::wstring id(path);
    for (auto& c : id)
        if (c == L'#') c = L'\\';
    return id;
}

PathClass ClassifyInterfacePath(std::wstring_view path) noexcept {
    path = WithoutPrefix(path);
    const std::size_t hash = path.find(L'#');
    if (hash == std::wstring_view::npos) return PathClass::Unknown;
    const std::wstring_view enumerator = path.substr(0, hash);
    const std::wstring_view id = path.substr(hash + 1);
    if (enumerator.size() == 4 && StartsWith(enumerator, L"ACPI")) return PathClass::BuiltIn;
    if (StartsWith(id, L"*PNP03") || StartsWith(id, L"*PNP0F")) return PathClass::BuiltIn;  // i8042 (PS/2)
    if (enumerator.size() == 3 && StartsWith(enumerator, L"USB")) return PathClass::External;
    if (StartsWith(enumerator, L"BTH")) return PathClass::External;
    if (enumerator.size() != 3 || !StartsWith(enumerator, L"HID")) return PathClass::Unknown;
    if (StartsWith(id, L"VID_")) return PathClass::External;
    // Bluetooth HID: the classic and the low-energy service class.
    if (StartsWith(id, L"{00001124-") || StartsWith(id, L"{00001812-")) return PathClass::External;
    if (IsAcpiStyleId(id)) return PathClass::BuiltIn;  // I2C HID, named by the firmware
    return PathClass::Unknown;
}

bool IsBuiltIn(Placement placement, std::optional<bool> inLocalMachineContainer, std::wstring_view path) noexcept {
    if (placement != Placement::Automatic) return placement == Placement::BuiltIn;
    if (inLocalMachineContainer) return *inLocalMachineContainer;
    return ClassifyInterfacePath(path) != PathClass::External;
}

std::wstring PlacementValueName(std::wstring_view path) {
    std::wstring name(path);
    for (auto& c : name) c = Upper(c);
    return name;
}

bool DeviceTable::Add(std::uintptr_t handle, bool external) noexcept {
    for (int i = 0; i < count_; ++i)
        if (handles_[i] == handle) {
            if (!external) handles_[i] = handles_[--count_];
            return true;
        }
    if (!external) return true;
    if (count_ == kCapacity) return !(full_ = true);
    handles_[count_++] = handle;
    return true;
}

}  // namespace quorlin::devices
