// The presses that came soon after a key, handed from the mouse hook to the Activity window: a
// fixed ring with one writer (the hook thread) and one reader (the GUI thread), no lock, no
// allocation. Only times, places and decisions are kept, never which key was typed.
#pragma once
#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace quorlin::activity {

enum class Button : std::uint8_t { Left, Right, Middle };

// What decided a press: the interval in force, the short stage of the typing-aware interval, the
// rule of the program in front, the device it came from, or the pause in full-screen programs.
enum class Decider : std::uint8_t { Interval, ShortStage, ProgramRule, ExternalDevice, FullScreen };
inline constexpr std::size_t kDeciders = 5;

struct Press {
    std::uint32_t Tick = 0;      // the press's tick count
    std::uint32_t AfterKey = 0;  // milliseconds since the key that counted
    std::int32_t X = 0;          // screen position in physical pixels, within 16 bits
    std::int32_t Y = 0;
    std::uint32_t Length = 0;    // the block length it was decided with, up to 65535
    std::uint32_t Window = 0;    // the window in front: window handles keep to 32 bits
    Button Which = Button::Left;
    bool Blocked = false;
    Decider By = Decider::Interval;

    // Presses after the same key have no key between them.
    constexpr std::uint32_t KeyTick() const noexcept { return Tick - AfterKey; }
    bool operator==(const Press&) const = default;
};

// Presses up to this long after a key are listed; later ones up to the repeat window are kept too,
// since they can show that a listed press was meant (see IsRepeatOf).
inline constexpr std::uint32_t kListedAfterKey = 2000;
inline constexpr std::uint32_t kRepeatWithin = 1500;
inline constexpr std::uint32_t kRecordedAfterKey = kListedAfterKey + kRepeatWithin;

// The counted presses (left, right, middle down) by their mouse message; nothing for the others.
constexpr std::optional<Button> ButtonOf(std::uintptr_t mouseMessage) noexcept {
    switch (mouseMessage) {
    case 0x201: return Button::Left;
    case 0x204: return Button::Right;
    case 0x207: return Button::Middle;
    default: return std::nullopt;
    }
}

// What the mouse hook knew when it decided a press; Decide picks what decided it.
struct DecisionInputs {
    bool Paused = false;        // full-screen pause
    bool RuleDecided = false;   // a program rule with its own interval or "never block"
    bool External = false;      // passed as coming from an external device
    bool ShortStage = false;    // the typing-aware interval's short stage was in force
};

constexpr Decider Decide(const DecisionInputs& in) noexcept {
    if (in.Paused) return Decider::FullScreen;
    if (in.RuleDecided) return Decider::ProgramRule;
    if (in.External) return Decider::ExternalDevice;
    return in.ShortStage ? Decider::ShortStage : Decider::Interval;
}

// Single writer, single reader, small enough for the locked hook pages. Each slot is a row of atomic words stamped with its press's number,
// so a slot the writer overwrites while the reader copies it is never undefined behaviour: the
// reader checks the stamp before and after and drops a copy that changed under it.
class PressRing {
public:
    static constexpr std::size_t kSize = 128;  // the list shows 100; the rest waits for repeats

    // The hook thread's: no allocation, no system call.
    void Write(const Press& p) noexcept {
        const std::uint32_t n = written_.load(std::memory_order_relaxed);
        auto& slot = slots_[n % kSize];
        constexpr auto relaxed = std::memory_order_relaxed;
        slot[0].store(0, relaxed);  // being written: a reader that copies it now drops the copy
        std::atomic_thread_fence(std::memory_order_release);
        slot[1].store(p.Tick, relaxed);
        slot[2].store(Low16(p.AfterKey) | Low16(p.Length) << 16, relaxed);
        slot[3].store((static_cast<std::uint32_t>(p.X) & 0xFFFFu) | static_cast<std::uint32_t>(p.Y) << 16, relaxed);
        slot[4].store(p.Window, relaxed);
        slot[5].store(static_cast<std::uint32_t>(p.Which) | (p.Blocked ? 0x100u : 0u) |
                          (static_cast<std::uint32_t>(p.By) << 16),
                      relaxed);
        slot[0].store(n + 1, std::memory_order_release);
        written_.store(n + 1, std::memory_order_release);
    }

    // How many presses were ever written (wraps after 2^32, which is harmless to Read).
    std::uint32_t Written() const noexcept { return written_.load(std::memory_order_acquire); }

    // The GUI thread's: calls f(press) for each press written since `from`, oldest first, and returns
    // the count to pass next time. Presses overwritten before they could be read are skipped.
    template <typename F>
    std::uint32_t Read(std::uint32_t from, F&& f) const {
        const std::uint32_t to = Written();
        if (to - from > kSize) from = to - kSize;
        for (std::uint32_t n = from; n != to; ++n) {
            if (auto p = Copy(n)) f(*p);
        }
        return to;
    }

private:
    static constexpr std::uint32_t Low16(std::uint32_t v) noexcept { return v < 0xFFFFu ? v : 0xFFFFu; }

    std::optional<Press> Copy(std::uint32_t n) const noexcept {
        const auto& slot = slots_[n % kSize];
        constexpr auto relaxed = std::memory_order_relaxed;
        if (slot[0].load(std::memory_order_acquire) != n + 1) return std::nullopt;
        Press p;
        p.Tick = slot[1].load(relaxed);
        const std::uint32_t times = slot[2].load(relaxed);
        p.AfterKey = times & 0xFFFFu;
        p.Length = times >> 16;
        const std::uint32_t place = slot[3].load(relaxed);
        p.X = static_cast<std::int16_t>(place & 0xFFFFu);
        p.Y = static_cast<std::int16_t>(place >> 16);
        p.Window = slot[4].load(relaxed);
        const std::uint32_t bits = slot[5].load(relaxed);
        p.Which = static_cast<Button>(bits & 0xFF);
        p.Blocked = (bits & 0x100u) != 0;
        p.By = static_cast<Decider>((bits >> 16) & 0xFF);
        // Written over meanwhile: the writer has come round to this slot again.
        std::atomic_thread_fence(std::memory_order_acquire);
        if (slot[0].load(relaxed) != n + 1) return std::nullopt;
        if (p.Which > Button::Middle || static_cast<std::size_t>(p.By) >= kDeciders) return std::nullopt;
        return p;
    }

    std::array<std::array<std::atomic<std::uint32_t>, 6>, kSize> slots_{};
    std::atomic<std::uint32_t> written_{0};
};

// How often each kind of input had its raw report queued before its low-level hook ran, after it,
// or none at all; counted on the hook thread while a device option is on.
struct InputOrderCounts {
    std::uint32_t KeysBefore = 0, KeysAfter = 0, KeysNone = 0;
    std::uint32_t MiceBefore = 0, MiceAfter = 0, MiceNone = 0;
    bool operator==(const InputOrderCounts&) const = default;
};

}  // namespace quorlin::activity
