#include "blocker/InputDevices.h"

#include "blocker/BlockingRule.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace quorlin::devices;
namespace rule = quorlin::rule;

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
    // Built-in devices take no room; past the room for 128 or more external ones, a device counts as
    // built in (blocked as without the option) and the table says it is full.
    for (std::uintptr_t h = 1000; h < 1500; ++h) table.Add(h, false);
    EXPECT_FALSE(table.Full());
    for (std::uintptr_t h = 100; h < 100 + DeviceTable::kCapacity; ++h) EXPECT_EQ(table.Add(h, true), h < 99 + DeviceTable::kCapacity);
    EXPECT_TRUE(table.Full() && table.IsExternal(98 + DeviceTable::kCapacity) && DeviceTable::kCapacity >= 128);
    EXPECT_FALSE(table.IsExternal(99 + DeviceTable::kCapacity));
}

// ---- Tying hook events to devices, in both orders of report and hook ----

namespace {

// Devices; kNoReport marks an event whose report never comes.
constexpr std::uintptr_t kMouse = 1, kTouchpad = 2, kMouse2 = 3, kPrecisionPad = 0, kKeyboard = 5, kOwnKeys = 6, kNoReport = 99;
// Events as raw input reports them (a press's parts are the hook's too).
RawEvent K(std::uintptr_t device, std::uint32_t t) { return {Kind::Keyboard, device, t, KeyPart('A', false)}; }
RawEvent M(std::uintptr_t device, std::uint32_t t) { return {Kind::Mouse, device, t, kMovePart}; }
RawEvent P(std::uintptr_t device, std::uint32_t t) { return {Kind::Mouse, device, t, MouseHookPart(0x201, 0)}; }

// Plays the events with each report before its hooks run, or after them (then only for events
// that pass: a swallowed one gets none there); the hooks decide as Quorlin's do, both options on,
// a 500 ms interval. Per mouse event: S swallowed, p passed.
std::string Replay(bool reportFirst, const std::vector<RawEvent>& events, std::uint32_t shift) {
    DeviceDecider d;
    for (std::uintptr_t device : {kMouse, kMouse2, kKeyboard, kTouchpad, kOwnKeys}) d.Table.Add(device, device != kTouchpad && device != kOwnKeys);
    rule::KeyTime lastKey;  // as at start: no key yet
    std::string fate;
    for (RawEvent e : events) {
        e.Time += shift;
        const bool reported = e.Device != kNoReport;
        if (reportFirst && reported) d.Report(e);
        d.Expire(e.Time);
        if (e.Type == Kind::Keyboard && d.Key(e.Parts, e.Time, true) == DeviceDecider::KeyFrom::BuiltIn) lastKey = e.Time;
        d.Settle(lastKey, e.Time);
        const bool swallowed = e.Type == Kind::Mouse && rule::IsWithinInterval(e.Time, d.StartForPress(lastKey, e.Time), 500) &&
                               !d.PassesAsExternal(e.Time, e.Parts != kMovePart);
        if (e.Type == Kind::Mouse) fate += swallowed ? 'S' : 'p';
        if (!reportFirst && reported && !swallowed) d.Report(e);
    }
    return fate;
}

}  // namespace

TEST(DeviceDecisions, EachCaseInBothOrdersAndAcrossTheTicksWrap) {
    const struct {
        const char* Name;
        std::vector<RawEvent> Events;
        const char *ReportFirst, *HookFirst;
    } cases[] = {
        {"external mouse after a built-in key", {K(kOwnKeys, 1000), M(kMouse, 1060), P(kMouse, 1100)}, "pp", "pp"},
        {"touchpad: a new motion's first move passes where reports come after",
         {K(kOwnKeys, 1000), M(kTouchpad, 1060), P(kTouchpad, 1100)}, "SS", "pS"},
        {"external key", {K(kKeyboard, 1000), M(kTouchpad, 1060), P(kTouchpad, 1100)}, "pp", "pp"},
        {"key report missing", {K(kNoReport, 1000), M(kTouchpad, 1060), P(kTouchpad, 1100)}, "SS", "pS"},
        {"press report missing", {K(kOwnKeys, 1000), M(kMouse, 1060), P(kNoReport, 1100)}, "pp", "pp"},
        {"a burst of moves",
         {M(kTouchpad, 0), K(kOwnKeys, 1000), M(kMouse, 1010), M(kMouse, 1018), M(kMouse, 1026), P(kMouse, 1030),
          M(kTouchpad, 1200), M(kTouchpad, 1208)},
         "pppppSS", "ppppppS"},
        {"two mice and a keyboard interleaved",
         {K(kKeyboard, 1000), K(kOwnKeys, 1005), M(kTouchpad, 1010), P(kTouchpad, 1020), M(kMouse, 1150),
          P(kMouse, 1170), K(kKeyboard, 1180), M(kMouse2, 1300), P(kMouse2, 1320), M(kTouchpad, 1450)},
         "SSppppS", "pSppppp"},
        {"external mouse taken up within 100 ms of the touchpad's last move",
         {K(kOwnKeys, 1000), M(kTouchpad, 1010), M(kMouse, 1040), M(kMouse, 1048), P(kMouse, 1100)}, "Sppp", "pSSS"},
        {"precision touchpad tap 100 ms after an external mouse moved",
         {K(kOwnKeys, 1000), M(kMouse, 1010), P(kPrecisionPad, 1110)}, "pS", "pp"},
        {"the same 310 ms after", {K(kOwnKeys, 1000), M(kMouse, 1010), P(kPrecisionPad, 1320)}, "pS", "pS"},
        {"external-mouse click with no movement before it", {M(kMouse, 0), K(kOwnKeys, 1000), P(kMouse, 1100)}, "pp", "pS"},
    };
    for (const auto& c : cases)
        for (std::uint32_t shift : {0u, 0x80000000u, 0xFFFFFFFFu - 1050}) {
            EXPECT_EQ(Replay(true, c.Events, shift), c.ReportFirst) << c.Name << ", shifted by " << shift;
            EXPECT_EQ(Replay(false, c.Events, shift), c.HookFirst) << c.Name << ", shifted by " << shift;
        }
}

TEST(DeviceDecisions, PendingKeysSettleInOrderAndCountAsBuiltInUntilThen) {
    DeviceDecider d;
    d.Table.Add(kKeyboard, true);
    rule::KeyTime lastKey;
    // Hook first: three keys wait, the second's report never comes; a press meanwhile takes the
    // newest as built in. A report of a key that never reached the hook is passed over.
    for (std::uint32_t vk : {'G', 'C', 'F'}) EXPECT_EQ(d.Key(KeyPart(vk, false), 1000 + vk, true), DeviceDecider::KeyFrom::Pending);
    EXPECT_EQ(d.StartForPress(lastKey, 1100), 1000u + 'F');
    for (std::uint32_t vk : {'G', 'Q', 'F'}) d.Report({Kind::Keyboard, kKeyboard, 1000 + vk, KeyPart(vk, false)});
    d.Settle(lastKey, 1100);
    EXPECT_EQ(lastKey, 1000u + 'C');
    // Report first, with sided and unsided Ctrl; a key that does not ask still takes its report.
    d.Report({Kind::Keyboard, kOwnKeys, 1200, KeyPart(17, false)});
    d.Report({Kind::Keyboard, kKeyboard, 1210, KeyPart('B', false)});
    EXPECT_EQ(d.Key(KeyPart(162, false), 1200, false), DeviceDecider::KeyFrom::BuiltIn);
    EXPECT_EQ(d.Key(KeyPart('B', false), 1210, true), DeviceDecider::KeyFrom::External);
    // Overdue, a key counts as built in; so does the oldest when more wait than fit.
    d.Key(KeyPart('D', false), 1220, true);
    d.Expire(1220 + DeviceDecider::kReportWait);
    EXPECT_EQ(d.StartForPress(1000, 2220), 1220u) << "not yet overdue";
    d.Expire(1221 + DeviceDecider::kReportWait);
    d.Settle(lastKey, 2221);
    EXPECT_EQ(lastKey, 1220u);
    for (std::uint32_t i = 0; i <= DeviceDecider::kCapacity; ++i) d.Key(KeyPart('E', false), 3000 + i, i == 0);
    d.Settle(lastKey, 3020);
    EXPECT_EQ(lastKey, 3000u) << "the oldest of too many";
}

TEST(DeviceDecisions, StaleExternalReportsDecideNoLaterKeyAndARestartSettlesWaitingKeys) {
    // An external E read while the hooks were out, a minute before a built-in E: no match, whether
    // the hooks went in again (restart) or not, and whether the key's own report came first or not.
    for (int i = 0; i < 4; ++i) {
        DeviceDecider d;
        d.Table.Add(kKeyboard, true);
        d.Report({Kind::Keyboard, kKeyboard, 1000, KeyPart('E', false)});
        if (i & 1) d.Restart();
        if (i & 2) d.Report({Kind::Keyboard, kOwnKeys, 61000, KeyPart('E', false)});
        EXPECT_EQ(d.Key(KeyPart('E', false), 61000, true), i & 2 ? DeviceDecider::KeyFrom::BuiltIn : DeviceDecider::KeyFrom::Pending) << i;
        rule::KeyTime lastKey;
        d.Restart();  // a key still waiting then counts as built in
        d.Settle(lastKey, 61010);
        EXPECT_EQ(lastKey, i & 2 ? std::nullopt : rule::KeyTime(61000)) << i;
    }
}

TEST(ReportRingTest, OneWriterOneReaderKeepOrderAndAFullRingRefuses) {
    ReportRing ring;
    for (std::uint32_t i = 0; i <= ReportRing::kCapacity; ++i) EXPECT_EQ(ring.Push({}), i < ReportRing::kCapacity);
    ring.Clear();
    EXPECT_EQ(ring.Peek(), nullptr);
    constexpr std::uint32_t kCount = 20000;  // across threads, past the array's end many times
    std::thread writer([&] {
        for (std::uint32_t i = 0; i < kCount;) i += ring.Push({Kind::Keyboard, 2, i, 0}) ? 1 : 0;
    });
    for (std::uint32_t next = 0; next < kCount;)
        if (const RawEvent* e = ring.Peek()) {
            ASSERT_EQ(e->Time, next++);
            ring.Pop();
        }
    writer.join();
}
