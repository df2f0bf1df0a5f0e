// Which input devices are part of the computer, and which device a hook event came from. Free of
// system calls: the hooks and the device list feed it what the system says.
#pragma once
#include <atomic>
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

// The external devices present, looked up by raw input handle in the hooks. Only external ones
// are kept (a device the table does not hold counts as built in), so a desk's many built-in
// collections take no room. Filled outside the hooks; a fixed table, so a lookup allocates nothing.
class DeviceTable {
public:
    // More than a dock, a KVM switch and gaming gear bring together (each exposes a few collections).
    static constexpr int kCapacity = 128;
    void Clear() noexcept { count_ = 0; }
    // False when the table is full: that device then counts as built in, blocked as without the
    // option, and Full() tells the menu so.
    bool Add(std::uintptr_t handle, bool external) noexcept;
    bool Full() const noexcept { return full_; }
    // No handle (a precision touchpad's own pointer input, or input injected without a device) and
    // a handle the table does not know both count as built in.
    bool IsExternal(std::uintptr_t handle) const noexcept {
        if (handle == 0) return false;
        for (int i = 0; i < count_; ++i)
            if (handles_[i] == handle) return true;
        return false;
    }

private:
    std::uintptr_t handles_[kCapacity]{};
    int count_ = 0;
    bool full_ = false;
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

// Raw input reports, handed from the thread that reads them to the hook thread: one writer, one
// reader, no lock, a fixed array. A full ring refuses the new report; its event then has none.
class ReportRing {
public:
    static constexpr std::uint32_t kCapacity = 64;
    bool Push(const RawEvent& event) noexcept {
        const std::uint32_t tail = tail_.load(std::memory_order_relaxed);
        if (tail - head_.load(std::memory_order_acquire) == kCapacity) return false;
        slots_[tail % kCapacity] = event;
        tail_.store(tail + 1, std::memory_order_release);
        return true;
    }
    // The oldest report not yet taken, or null; the reader's side, as Pop and Clear.
    const RawEvent* Peek() const noexcept {
        const std::uint32_t head = head_.load(std::memory_order_relaxed);
        return head == tail_.load(std::memory_order_acquire) ? nullptr : &slots_[head % kCapacity];
    }
    void Pop() noexcept { head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release); }
    void Clear() noexcept { head_.store(tail_.load(std::memory_order_acquire), std::memory_order_release); }

private:
    RawEvent slots_[kCapacity]{};
    std::atomic<std::uint32_t> head_{0};
    std::atomic<std::uint32_t> tail_{0};
};

// Ties hook events to devices using only the reports that have arrived when a hook decides, so it
// is right whether the system queues an event's report before its low-level hooks run or after.
// Keys are never swallowed: a key whose report is not there yet is pending, and its report settles
// it later. A mouse event is decided from the pointer stream: the device of the latest report.
// Times are tick counts passed in by the caller; nothing allocates. The hook thread's alone.
class DeviceDecider {
public:
    // A pointer report this recent still names the device of a press: long enough for the pause
    // between the end of a pointing movement and its click (while the option matters, the press
    // comes within the block interval after a key, so the hand has just moved to the mouse), short
    // of the 400 ms a hand takes at best to go from one pointing device to another.
    static constexpr std::uint32_t kPointerWindow = 300;
    // The same for a move or a wheel turn: a device in motion reports every 1 to 8 ms (1000 to
    // 125 Hz), so a gap this long starts a new motion, which may be another device's.
    static constexpr std::uint32_t kMotionWindow = 100;
    // A key whose report has not come by then will get none: it counts as built in. A key report
    // and a key this far apart are never the same event's.
    static constexpr std::uint32_t kReportWait = 1000;
    static constexpr int kCapacity = 16;
    enum class KeyFrom { BuiltIn, External, Pending };

    DeviceTable Table;

    // Forgets everything but the table, when the hooks go in: what came while they were out (or
    // dropped by the system) belongs to no event they will see. Keys still waiting count as built
    // in, as when their reports never come.
    void Restart() noexcept {
        if (!reports_)
            for (int i = 0; i < count_; ++i) SettleBuiltIn(At(i));
        count_ = 0;
        reports_ = false;
        hasPointer_ = false;
    }

    // A report has arrived. A mouse report becomes the latest of the pointer stream; a keyboard
    // report settles the oldest pending key it fits (earlier pending keys got none), or waits for
    // its key when it came first.
    void Report(const RawEvent& report) noexcept {
        if (report.Type == Kind::Mouse) {
            pointer_ = report;
            hasPointer_ = true;
            return;
        }
        if (reports_ || count_ == 0) {
            if (count_ == kCapacity) RemoveFirst(1);
            reports_ = true;
            At(count_++) = {report.Parts, report.Device, report.Time, false};
            return;
        }
        for (int i = 0; i < count_; ++i) {
            if (At(i).Part != report.Parts || !Near(At(i).Time, report.Time)) continue;
            for (int j = 0; j < i; ++j) SettleBuiltIn(At(j));
            if (!Table.IsExternal(report.Device)) SettleBuiltIn(At(i));
            RemoveFirst(i + 1);
            return;
        }
        // Fits no pending key: the report of an event that never reached this hook.
    }

    // A key event reached the hook at tick. Every key takes its place in the order, so reports
    // pair with their keys; asks tells whether the key would start the interval if built in.
    KeyFrom Key(std::uint32_t part, std::uint32_t tick, bool asks) noexcept {
        if (reports_) {
            for (int i = 0; i < count_; ++i) {
                if (At(i).Part != part || !Near(At(i).Time, tick)) continue;
                const bool external = Table.IsExternal(At(i).Device);
                RemoveFirst(i + 1);  // with the reports of events that never reached this hook
                return external ? KeyFrom::External : KeyFrom::BuiltIn;
            }
            count_ = 0;  // all for events before this one
        }
        if (count_ == kCapacity) {
            SettleBuiltIn(At(0));
            RemoveFirst(1);
        }
        reports_ = false;
        At(count_++) = {part, 0, tick, asks};
        return KeyFrom::Pending;
    }

    // Pending keys whose report is overdue count as built in.
    void Expire(std::uint32_t now) noexcept {
        if (reports_) return;
        int n = 0;
        while (n < count_ && now - At(n).Time > kReportWait) SettleBuiltIn(At(n++));
        RemoveFirst(n);
    }

    // Moves lastKey, the start of the interval, on to the newest key settled as built in since.
    // Ages against now decide which is newer, and no key at all is older than any.
    void Settle(std::optional<std::uint32_t>& lastKey, std::uint32_t now) noexcept {
        if (hasSettled_ && (!lastKey || now - settled_ < now - *lastKey)) lastKey = settled_;
        hasSettled_ = false;
    }

    // The start of the interval a press is judged by: a key still waiting for its report counts
    // as built in, as when none comes.
    std::optional<std::uint32_t> StartForPress(std::optional<std::uint32_t> lastKey, std::uint32_t now) const noexcept {
        for (int i = reports_ ? 0 : count_; i > 0; --i)
            if (At(i - 1).Asks) {
                const std::uint32_t tick = At(i - 1).Time;
                return !lastKey || now - tick < now - *lastKey ? tick : *lastKey;
            }
        return lastKey;
    }

    // Whether a mouse event at time passes as coming from an external device: the latest report of
    // the pointer stream is its own (report first) or the one before it (hook first), if recent.
    // With none recent, a press counts as built in, as input nothing can place; a move or a wheel
    // turn passes, because where a swallowed event gets no report, swallowing it would leave the
    // stream without one for as long as the interval lasts, and its report names the device for
    // the events after it.
    bool PassesAsExternal(std::uint32_t time, bool press) const noexcept {
        if (!hasPointer_ || !Within(time, pointer_.Time, press ? kPointerWindow : kMotionWindow)) return !press;
        return Table.IsExternal(pointer_.Device);
    }

private:
    struct Entry {
        std::uint32_t Part;
        std::uintptr_t Device;  // a report's
        std::uint32_t Time;     // a report's, a key's tick
        bool Asks;
    };
    // Two ticks at most window apart, either way round, across the counter's wrap.
    static constexpr bool Within(std::uint32_t a, std::uint32_t b, std::uint32_t window) noexcept {
        return a - b <= window || b - a <= window;
    }
    static constexpr bool Near(std::uint32_t a, std::uint32_t b) noexcept { return Within(a, b, kReportWait); }
    // A ring, so that taking from the front moves nothing.
    Entry& At(int i) noexcept { return queue_[(head_ + i) % kCapacity]; }
    const Entry& At(int i) const noexcept { return queue_[(head_ + i) % kCapacity]; }
    void RemoveFirst(int n) noexcept {
        head_ = (head_ + n) % kCapacity;
        count_ -= n;
    }
    // Keys settle in their order, so the last one settled is the newest.
    void SettleBuiltIn(const Entry& key) noexcept {
        if (!key.Asks) return;
        settled_ = key.Time;
        hasSettled_ = true;
    }

    Entry queue_[kCapacity]{};  // pending keys, or reports that came before their keys
    int head_ = 0;
    int count_ = 0;
    bool reports_ = false;  // which of the two the queue holds
    RawEvent pointer_{};
    bool hasPointer_ = false;
    std::uint32_t settled_ = 0;
    bool hasSettled_ = false;
};

// Whether a report may be the one the system queues for the hook event of that kind, part and time:
// it fits, and is no older.
constexpr bool IsReportOf(const RawEvent& report, Kind type, std::uint32_t part, std::uint32_t time) noexcept {
    if (report.Type != type || static_cast<std::int32_t>(report.Time - time) < 0) return false;
    return type == Kind::Keyboard ? report.Parts == part : (report.Parts & part) != 0;
}

}  // namespace quorlin::devices
