#include "blocker/InputDevices.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <utility>
#include <vector>

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

// ---- Tying hook events to devices, in both orders of report and hook ----

namespace {

enum class Order { ReportFirst, HookFirst };
constexpr std::uintptr_t kExternalMouse = 1, kTouchpad = 2, kOtherExternalMouse = 3, kPrecisionTouchpad = 0;
constexpr std::uintptr_t kExternalKeyboard = 5, kBuiltInKeyboard = 6;
constexpr std::uint32_t kInterval = 500;

struct Event {
    Kind Type;
    std::uintptr_t Device;
    std::uint32_t Time;
    std::uint32_t Part;  // kMovePart, a button's, or a key's
    bool Reported = true;
};
Event Key(std::uintptr_t device, std::uint32_t time, bool reported = true) {
    return {Kind::Keyboard, device, time, KeyPart('A', false), reported};
}
Event Move(std::uintptr_t device, std::uint32_t time) { return {Kind::Mouse, device, time, kMovePart}; }
Event Press(std::uintptr_t device, std::uint32_t time, bool reported = true) {
    return {Kind::Mouse, device, time, MouseHookPart(0x201, 0), reported};
}

// Plays the events as the system delivers them: each event's report before its hooks run or
// after (then only for events that pass), and the hooks decide as Quorlin's do (both options on). Answers, per mouse event, whether
// it was swallowed, in the order of the events.
struct Replay {
    DeviceDecider Devices;
    std::uint32_t LastKey;
    std::vector<std::uint32_t> Late;  // indexes of reports that come after the next event's hooks

    explicit Replay(std::uint32_t start = 0) : LastKey(start - 10 * kInterval) {
        for (auto [device, external] : {std::pair{kExternalMouse, true}, {kTouchpad, false}, {kOtherExternalMouse, true},
                                        {kExternalKeyboard, true}, {kBuiltInKeyboard, false}})
            Devices.Table.Add(device, external);
    }
    bool Hook(const Event& e) {
        Devices.Expire(e.Time);
        if (e.Type == Kind::Keyboard) {
            if (Devices.Key(e.Part, e.Time, true) == DeviceDecider::KeyFrom::BuiltIn) LastKey = e.Time;
            Devices.Settle(LastKey);
            return false;
        }
        Devices.Settle(LastKey);
        return e.Time - Devices.StartForPress(LastKey) < kInterval && !Devices.PassesAsExternal(e.Time, e.Part != kMovePart);
    }
    void Report(const Event& e) {
        if (e.Reported) Devices.Report({e.Type, e.Device, e.Time, e.Type == Kind::Mouse ? MouseParts(e.Part & 0xFFFF, e.Part == kMovePart) : e.Part});
    }
    std::string Run(Order order, const std::vector<Event>& events) {
        std::string swallowed;
        for (const Event& e : events) {
            if (order == Order::ReportFirst) Report(e);
            const bool blocked = Hook(e);
            // Where reports come after the hooks, a swallowed event gets none.
            if (order == Order::HookFirst && !blocked) Report(e);
            if (e.Type == Kind::Mouse) swallowed += blocked ? 'S' : 'p';
        }
        return swallowed;
    }
};

// Each case: the events, and per order the fate of its mouse events (S swallowed, p passes).
struct Case {
    const char* Name;
    std::vector<Event> Events;
    const char* ReportFirst;
    const char* HookFirst;
};

}  // namespace

TEST(DeviceDecisions, EachCaseInBothOrders) {
    const Case cases[] = {
        {"built-in key, external mouse moves and clicks",
         {Key(kBuiltInKeyboard, 1000), Move(kExternalMouse, 1060), Press(kExternalMouse, 1100)}, "pp", "pp"},
        {"built-in key, touchpad moves and clicks: a new motion's first move passes where its report comes after",
         {Key(kBuiltInKeyboard, 1000), Move(kTouchpad, 1060), Press(kTouchpad, 1100)}, "SS", "pS"},
        {"external key, touchpad clicks",
         {Key(kExternalKeyboard, 1000), Move(kTouchpad, 1060), Press(kTouchpad, 1100)}, "pp", "pp"},
        {"key report missing: built in",
         {Key(kExternalKeyboard, 1000, false), Move(kTouchpad, 1060), Press(kTouchpad, 1100)}, "SS", "pS"},
        {"press report missing: the move before decides",
         {Key(kBuiltInKeyboard, 1000), Move(kExternalMouse, 1060), Press(kExternalMouse, 1100, false)}, "pp", "pp"},
        {"a burst of moves",
         {Move(kTouchpad, 0), Key(kBuiltInKeyboard, 1000), Move(kExternalMouse, 1010), Move(kExternalMouse, 1018),
          Move(kExternalMouse, 1026), Press(kExternalMouse, 1030), Move(kTouchpad, 1200), Move(kTouchpad, 1208)},
         "pppppSS", "ppppppS"},
        {"two mice and a keyboard interleaved",
         {Key(kExternalKeyboard, 1000), Key(kBuiltInKeyboard, 1005), Move(kTouchpad, 1010), Press(kTouchpad, 1020),
          Move(kExternalMouse, 1150), Press(kExternalMouse, 1170), Key(kExternalKeyboard, 1180),
          Move(kOtherExternalMouse, 1300), Press(kOtherExternalMouse, 1320), Move(kTouchpad, 1450)},
         "SSppppS", "pSppppp"},
        {"an external mouse taken up within 100 ms of the touchpad's last move",
         {Key(kBuiltInKeyboard, 1000), Move(kTouchpad, 1010), Move(kExternalMouse, 1040), Move(kExternalMouse, 1048),
          Press(kExternalMouse, 1100)},
         "Sppp", "pSSS"},
        {"precision touchpad tap 100 ms after an external mouse moved: taken for the mouse where reports come after",
         {Key(kBuiltInKeyboard, 1000), Move(kExternalMouse, 1010), Press(kPrecisionTouchpad, 1110)}, "pS", "pp"},
        {"the same tap once the window has passed",
         {Key(kBuiltInKeyboard, 1000), Move(kExternalMouse, 1010), Press(kPrecisionTouchpad, 1320)}, "pS", "pS"},
        {"external-mouse click with no movement before it",
         {Move(kExternalMouse, 0), Key(kBuiltInKeyboard, 1000), Press(kExternalMouse, 1100)}, "pp", "pS"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Replay().Run(Order::ReportFirst, c.Events), c.ReportFirst) << c.Name;
        EXPECT_EQ(Replay().Run(Order::HookFirst, c.Events), c.HookFirst) << c.Name;
        // Across the wrap of the tick count: the same outcome.
        std::vector<Event> wrapped = c.Events;
        const std::uint32_t shift = 0xFFFFFFFFu - 1050;
        for (Event& e : wrapped) e.Time += shift;
        EXPECT_EQ(Replay(shift).Run(Order::ReportFirst, wrapped), c.ReportFirst) << c.Name << " (wrapped)";
        EXPECT_EQ(Replay(shift).Run(Order::HookFirst, wrapped), c.HookFirst) << c.Name << " (wrapped)";
    }
}

TEST(DeviceDecisions, PendingKeysSettleByTheirReportsInOrder) {
    Replay r;
    // Hook first: three keys wait; the second's report is missing, so the third's report settles
    // it as built in; a press before any report treats the newest as built in.
    for (std::uint32_t t : {1000u, 1010u, 1020u}) EXPECT_EQ(r.Devices.Key(KeyPart('A' + t % 7, false), t, true), DeviceDecider::KeyFrom::Pending);
    EXPECT_EQ(r.Devices.StartForPress(r.LastKey), 1020u);
    r.Devices.Report({Kind::Keyboard, kExternalKeyboard, 1000, KeyPart('A' + 1000 % 7, false)});
    r.Devices.Report({Kind::Keyboard, kExternalKeyboard, 1020, KeyPart('A' + 1020 % 7, false)});
    r.Devices.Settle(r.LastKey);
    EXPECT_EQ(r.LastKey, 1010u) << "the key without a report is built in, the external ones start nothing";
    EXPECT_EQ(r.Devices.StartForPress(r.LastKey), 1010u);
    // A key that does not ask (a release, a held key) still takes its report, and a report of an
    // event that never reached the hook is passed over; sided Ctrl meets raw input's unsided one.
    EXPECT_EQ(r.Devices.Key(KeyPart(162, true), 1100, false), DeviceDecider::KeyFrom::Pending);
    r.Devices.Report({Kind::Keyboard, kBuiltInKeyboard, 1090, KeyPart('Q', false)});
    r.Devices.Report({Kind::Keyboard, kBuiltInKeyboard, 1100, KeyPart(17, true)});
    r.Devices.Settle(r.LastKey);
    EXPECT_EQ(r.LastKey, 1010u);
    // Report first: a key takes its own and drops the ones before it whose keys never came.
    r.Devices.Report({Kind::Keyboard, kBuiltInKeyboard, 1200, KeyPart('B', false)});
    r.Devices.Report({Kind::Keyboard, kExternalKeyboard, 1210, KeyPart('C', false)});
    EXPECT_EQ(r.Devices.Key(KeyPart('C', false), 1210, true), DeviceDecider::KeyFrom::External);
    EXPECT_EQ(r.Devices.Key(KeyPart('B', false), 1220, true), DeviceDecider::KeyFrom::Pending);
    // Overdue, it counts as built in; so does the oldest when more wait than fit.
    r.Devices.Expire(1220 + DeviceDecider::kReportWait);
    EXPECT_EQ(r.Devices.StartForPress(0), 1220u) << "not yet overdue";
    r.Devices.Expire(1220 + DeviceDecider::kReportWait + 1);
    r.Devices.Settle(r.LastKey);
    EXPECT_EQ(r.LastKey, 1220u);
    for (std::uint32_t i = 0; i <= DeviceDecider::kCapacity; ++i) r.Devices.Key(KeyPart('D', false), 2000 + i, i == 0);
    r.Devices.Settle(r.LastKey);
    EXPECT_EQ(r.LastKey, 2000u);
}

TEST(ReportRingTest, OneWriterOneReaderKeepOrderAndRefuseWhenFull) {
    ReportRing ring;
    EXPECT_EQ(ring.Peek(), nullptr);
    for (std::uint32_t i = 0; i < ReportRing::kCapacity; ++i) EXPECT_TRUE(ring.Push({Kind::Mouse, 1, i, kMovePart}));
    EXPECT_FALSE(ring.Push({Kind::Mouse, 1, 999, kMovePart}));
    ring.Clear();
    EXPECT_EQ(ring.Peek(), nullptr);
    // Across threads, past the wrap of the array many times over.
    constexpr std::uint32_t kCount = 100000;
    std::thread writer([&] {
        for (std::uint32_t i = 0; i < kCount;)
            if (ring.Push({Kind::Keyboard, 2, i, 0})) ++i;
    });
    std::uint32_t next = 0;
    while (next < kCount)
        if (const RawEvent* e = ring.Peek()) {
            ASSERT_EQ(e->Time, next);
            ring.Pop();
            ++next;
        }
    writer.join();
    EXPECT_EQ(ring.Peek(), nullptr);
}
