#include "touchpad/PrecisionTouchpad_win.h"

#include <windows.h>

#include <vector>

#include "base/OwnInput.h"

namespace quorlin::touchpad {

namespace {

// Older SDK headers lack these; the layout is the documented version 1 of the structure.
constexpr UINT kSpiGetTouchpadParameters = 0x00AE;
constexpr UINT kTouchpadParametersVersion1 = 1;
struct TouchpadParametersV1 {
    UINT versionNumber;
    UINT maxSupportedContacts;
    UINT legacyTouchpadFeatures;
    UINT flags1;  // bit 0 touchpadPresent, bit 3 touchpadEnabled, among others
    UINT flags2;
    INT sensitivityLevel;
    UINT cursorSpeed;
    UINT feedbackIntensity;
    UINT clickForceSensitivity;
    UINT rightClickZoneWidth;
    UINT rightClickZoneHeight;
};
static_assert(sizeof(TouchpadParametersV1) == 44);
constexpr UINT kTouchpadPresentBit = 1u << 0;
constexpr UINT kTouchpadEnabledBit = 1u << 3;

// HID usage page Digitizer, usage Touch Pad: the collection a precision touchpad exposes.
constexpr USHORT kUsagePageDigitizer = 0x0D;
constexpr USHORT kUsageTouchPad = 0x05;

std::optional<Parameters> ReadParameters() {
    TouchpadParametersV1 p{};
    p.versionNumber = kTouchpadParametersVersion1;
    if (!SystemParametersInfoW(kSpiGetTouchpadParameters, sizeof p, &p, 0)) return std::nullopt;
    return Parameters{(p.flags1 & kTouchpadPresentBit) != 0, (p.flags1 & kTouchpadEnabledBit) != 0};
}

std::optional<bool> RawInputHasTouchpad() {
    UINT count = 0;
    if (GetRawInputDeviceList(nullptr, &count, sizeof(RAWINPUTDEVICELIST)) == static_cast<UINT>(-1)) return std::nullopt;
    std::vector<RAWINPUTDEVICELIST> devices(count);
    // A device may arrive between the two calls; then the list is simply not read this time.
    if (count && GetRawInputDeviceList(devices.data(), &count, sizeof(RAWINPUTDEVICELIST)) == static_cast<UINT>(-1))
        return std::nullopt;
    for (UINT i = 0; i < count && i < devices.size(); ++i) {
        if (devices[i].dwType != RIM_TYPEHID) continue;
        RID_DEVICE_INFO info{};
        info.cbSize = sizeof info;
        UINT size = sizeof info;
        if (GetRawInputDeviceInfoW(devices[i].hDevice, RIDI_DEVICEINFO, &info, &size) == static_cast<UINT>(-1)) continue;
        if (info.hid.usUsagePage == kUsagePageDigitizer && info.hid.usUsage == kUsageTouchPad) return true;
    }
    return false;
}

INPUT KeyInput(const KeyStroke& stroke) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = stroke.vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(stroke.vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = (stroke.up ? KEYEVENTF_KEYUP : 0) | (stroke.vk == VK_LWIN ? KEYEVENTF_EXTENDEDKEY : 0);
    in.ki.dwExtraInfo = kOwnInputMark;
    return in;
}

}  // namespace

SystemReport ReadSystemTouchpad() { return CombineReports(ReadParameters(), RawInputHasTouchpad()); }

bool SendCombination() {
    INPUT inputs[kCombinationLength];
    for (std::size_t i = 0; i < kCombinationLength; ++i) inputs[i] = KeyInput(kCombination[i]);
    const UINT inserted = SendInput(static_cast<UINT>(kCombinationLength), inputs, sizeof(INPUT));
    if (inserted == kCombinationLength) return true;
    const Undo undo = UndoPartialCombination(inserted);
    INPUT releases[kCombinationLength];
    for (std::size_t i = 0; i < undo.count; ++i) releases[i] = KeyInput(undo.strokes[i]);
    if (undo.count) SendInput(static_cast<UINT>(undo.count), releases, sizeof(INPUT));
    return false;
}

}  // namespace quorlin::touchpad
