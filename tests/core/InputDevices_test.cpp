#include "blocker/InputDevices.h"

#include <gtest/gtest.h>

using namespace quorlin::devices;

TEST(InputDevicePaths, BusDecidesBuiltInOrExternal) {
    struct Row {
        const wchar_t* Path;
        PathClass Expected;
    };
    const Row rows[] = {
        // USB mice and keyboards, a receiver's collections, Wine's own devices
        {L"\\\\?\\HID#VID_046D&PID_C52B&MI_01&Col01#8&2d1b5e2f&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::External},
        {L"\\\\?\\hid#vid_04f2&pid_0402&mi_00#7&1b6a3f0&0&0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}", PathClass::External},
        {L"\\\\?\\HID#VID_845E&PID_0001#0&0000&0&0#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::External},
        // Bluetooth classic and low energy
        {L"\\\\?\\HID#{00001124-0000-1000-8000-00805f9b34fb}_VID&0002046d_PID&b01e&Col01#9&1f0a&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::External},
        {L"\\\\?\\HID#{00001812-0000-1000-8000-00805f9b34fb}_Dev_VID&02045e_PID&0916_REV&0001_d4b1b8f04f2e&Col01#a&3b&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::External},
        {L"\\\\?\\BTHENUM#{00001124-0000-1000-8000-00805f9b34fb}_VID&0002046d#8&1e&0&0001", PathClass::External},
        // I2C HID touchpads of several makers, and a pointing stick
        {L"\\\\?\\HID#SYNA7DB5&Col01#5&2e5e5d86&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::BuiltIn},
        {L"\\\\?\\HID#ELAN0501&Col02#5&d4f6b&0&0001#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::BuiltIn},
        {L"\\\\?\\HID#MSFT0001&Col01#4&1a2b&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::BuiltIn},
        {L"\\\\?\\HID#DLL07A9&Col01#4&3b1c&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::BuiltIn},
        {L"\\\\?\\ACPI#LEN0307#4&2f3a&0#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::BuiltIn},
        // PS/2 (i8042) keyboard and touchpad
        {L"\\\\?\\ACPI#PNP0303#4&1d401fb5&0#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}", PathClass::BuiltIn},
        {L"\\\\?\\Root#*PNP0F13#1_0_21_0_31_0#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::BuiltIn},
        // Remote desktop's virtual devices and what cannot be read
        {L"\\\\?\\Root#RDP_MOU#0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::Unknown},
        {L"\\\\?\\Root#RDP_KBD#0000#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}", PathClass::Unknown},
        {L"\\\\?\\HID#VEN_ABCDEF&Col01#1#{378de44c-56ef-11d1-bc8c-00a0c91405dd}", PathClass::Unknown},
        {L"", PathClass::Unknown},
        {L"HID", PathClass::Unknown},
    };
    for (const auto& row : rows) EXPECT_EQ(ClassifyInterfacePath(row.Path), row.Expected) << std::wstring(row.Path).c_str();
}

TEST(InputDevicePaths, InstanceIdIsThePathWithoutPrefixAndInterfaceClass) {
    EXPECT_EQ(InstanceIdFromPath(L"\\\\?\\HID#VID_046D&PID_C52B&MI_01&Col01#8&2d1b5e2f&0&0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}"),
              L"HID\\VID_046D&PID_C52B&MI_01&Col01\\8&2d1b5e2f&0&0000");
    EXPECT_EQ(InstanceIdFromPath(L"\\??\\ACPI#PNP0303#4&1d401fb5&0#{884b96c3-56ef-11d1-bc8c-00a0c91405dd}"),
              L"ACPI\\PNP0303\\4&1d401fb5&0");
    // A Bluetooth ID holds a GUID of its own; only the last one is the interface class.
    EXPECT_EQ(InstanceIdFromPath(L"\\\\?\\BTHENUM#{00001124-0000-1000-8000-00805f9b34fb}_VID&0002046d#8&1e&0&0001"),
              L"BTHENUM\\{00001124-0000-1000-8000-00805f9b34fb}_VID&0002046d\\8&1e&0&0001");
    EXPECT_EQ(InstanceIdFromPath(L""), L"");
}

TEST(InputDevicePaths, PlacementThenContainerThenPathThenBuiltIn) {
    const wchar_t* usb = L"\\\\?\\HID#VID_046D&PID_C52B#1#{378de44c-56ef-11d1-bc8c-00a0c91405dd}";
    const wchar_t* rdp = L"\\\\?\\Root#RDP_MOU#0000#{378de44c-56ef-11d1-bc8c-00a0c91405dd}";
    EXPECT_TRUE(IsBuiltIn(Placement::BuiltIn, false, usb));
    EXPECT_FALSE(IsBuiltIn(Placement::External, true, rdp));
    EXPECT_TRUE(IsBuiltIn(Placement::Automatic, true, usb));   // a notebook's own USB keyboard
    EXPECT_FALSE(IsBuiltIn(Placement::Automatic, false, rdp));
    EXPECT_FALSE(IsBuiltIn(Placement::Automatic, std::nullopt, usb));
    EXPECT_TRUE(IsBuiltIn(Placement::Automatic, std::nullopt, rdp));

    EXPECT_EQ(PlacementFromStored(true, 1), Placement::BuiltIn);
    EXPECT_EQ(PlacementFromStored(true, 2), Placement::External);
    for (std::uint32_t other : {0u, 3u, 0xFFFFFFFFu}) EXPECT_EQ(PlacementFromStored(true, other), Placement::Automatic);
    EXPECT_EQ(PlacementFromStored(false, 1), Placement::Automatic);
    EXPECT_EQ(PlacementValueName(L"\\\\?\\hid#vid_04f2&Col01#{a}"), L"\\\\?\\HID#VID_04F2&COL01#{A}");
}

TEST(InputDeviceTable, UnknownAndMissingHandlesCountAsBuiltIn) {
    DeviceTable table;
    table.Add(1, true);
    table.Add(2, false);
    table.Add(1, false);  // placed again: the new class holds
    table.Add(3, true);
    EXPECT_FALSE(table.IsExternal(1));
    EXPECT_FALSE(table.IsExternal(2));
    EXPECT_TRUE(table.IsExternal(3));
    EXPECT_FALSE(table.IsExternal(0));
    EXPECT_FALSE(table.IsExternal(99));
    for (std::uintptr_t h = 100; h < 200; ++h) table.Add(h, true);  // full: no more, no overrun
    EXPECT_TRUE(table.IsExternal(3));
}

namespace {
RawEvent Move(std::uintptr_t device, std::uint32_t time) { return {Kind::Mouse, device, time, MouseParts(0, true)}; }
RawEvent Key(std::uintptr_t device, std::uint32_t time, std::uint32_t vk, bool up) {
    return {Kind::Keyboard, device, time, KeyPart(vk, up)};
}
const std::uint32_t kMove = MouseHookPart(0x200, 0);
const std::uint32_t kLeftDown = MouseHookPart(0x201, 0);
}  // namespace

TEST(RawInputMatching, RawFirstHookFirstAndMissing) {
    RawInputMatcher m;
    // Raw first, the usual order; a raw button report carries its move too.
    m.AddRaw({Kind::Mouse, 7, 1000, MouseParts(0x0001, true)});
    EXPECT_EQ(m.Match(Kind::Mouse, kLeftDown, 1000), 7u);
    EXPECT_EQ(m.Pending(), 0);
    // Hook first: nothing fits yet, and the late raw event is taken by the next event it fits.
    EXPECT_EQ(m.Match(Kind::Mouse, kMove, 1010), std::nullopt);
    m.AddRaw(Move(7, 1010));
    m.AddRaw(Move(7, 1020));
    EXPECT_EQ(m.Match(Kind::Mouse, kMove, 1020), 7u);
    EXPECT_EQ(m.Pending(), 0);  // the older one was the missed hook event's
    // Raw missing (another hook swallowed or the device sent none): no device.
    EXPECT_EQ(m.Match(Kind::Keyboard, KeyPart(0x41, false), 1030), std::nullopt);
    // Sided modifiers match raw input's unsided ones; a release does not take a press.
    m.AddRaw(Key(2, 1040, 17, false));
    EXPECT_EQ(m.Match(Kind::Keyboard, KeyPart(162, true), 1040), std::nullopt);
    EXPECT_EQ(m.Match(Kind::Keyboard, KeyPart(162, false), 1040), 2u);
    // Stale raw events beyond the tolerance never match.
    m.AddRaw(Move(9, 2000));
    EXPECT_EQ(m.Match(Kind::Mouse, kMove, 2000 + RawInputMatcher::kTolerance + 1), std::nullopt);
    EXPECT_EQ(m.Pending(), 0);
}

TEST(RawInputMatching, BurstsAndInterleavedDevicesKeepTheirOrder) {
    RawInputMatcher m;
    // Two mice and a keyboard interleaved, all queued before the hooks run; wrapping tick counter.
    const std::uint32_t t = 0xFFFFFFF0u;
    m.AddRaw(Move(1, t));
    m.AddRaw(Key(5, t + 1, 0x41, false));
    m.AddRaw(Move(2, t + 2));
    m.AddRaw({Kind::Mouse, 2, t + 20, MouseParts(0x0001, false)});
    m.AddRaw(Move(1, t + 30));
    EXPECT_EQ(m.Match(Kind::Mouse, kMove, t), 1u);
    EXPECT_EQ(m.Match(Kind::Keyboard, KeyPart(0x41, false), t + 1), 5u);
    EXPECT_EQ(m.Match(Kind::Mouse, kMove, t + 2), 2u);
    EXPECT_EQ(m.Match(Kind::Mouse, kLeftDown, t + 20), 2u);
    EXPECT_EQ(m.Match(Kind::Mouse, kMove, t + 30), 1u);
    // A burst longer than the ring: the newest are kept, each matched once in order.
    for (std::uint32_t i = 0; i < 100; ++i) m.AddRaw(Move(i % 2 ? 3 : 4, 100 + i));
    EXPECT_EQ(m.Pending(), RawInputMatcher::kCapacity);
    for (std::uint32_t i = 100 - RawInputMatcher::kCapacity; i < 100; ++i)
        EXPECT_EQ(m.Match(Kind::Mouse, kMove, 100 + i), i % 2 ? 3u : 4u) << i;
    EXPECT_EQ(m.Pending(), 0);
    // Several events in one millisecond, and raw time stamps a little off the hooks': still in order.
    for (std::uintptr_t d : {1u, 2u, 1u, 2u}) m.AddRaw(Move(d, 500));
    for (std::uintptr_t d : {1u, 2u}) EXPECT_EQ(m.Match(Kind::Mouse, kMove, 500), d);
    for (std::uintptr_t d : {1u, 2u}) EXPECT_EQ(m.Match(Kind::Mouse, kMove, 503), d);
}
