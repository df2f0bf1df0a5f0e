// Whether raw input reports an event before its low-level hook runs or after it: counted on the hook
// thread from what the hooks see, for the diagnostics report. Wine reports before; public reports
// say Windows reports after; nobody here can measure Windows, so users' reports tell.
#pragma once
#include <atomic>
#include <cstdint>

#include "blocker/ActivityRing.h"
#include "blocker/InputDevices.h"

namespace quorlin::devices {

class InputOrder {
public:
    // A report the hooks took from the queue: it may be the late one of the event before.
    void Taken(const RawEvent& report) noexcept {
        Slot& s = slots_[Index(report.Type)];
        if (s.Pending && IsReportOf(report, report.Type, s.Part, s.Time)) {
            Add(s.After);
            s.Pending = false;
        }
        s.Last = report;
        s.HasLast = true;
    }
    // The event the hook decides now, after taking the reports queued before it. One report of a
    // mouse may carry a move and a button both, each its own hook event. Moves are left out: the
    // system merges their reports and makes moves of its own (a warped pointer) that have none.
    void Decided(Kind kind, std::uint32_t part, std::uint32_t time) noexcept {
        if (part == 0 || part == kMovePart) return;  // raw input never reports such an event alone
        Slot& s = slots_[Index(kind)];
        if (s.Pending) Add(s.None);  // the event before never got its report
        s.Pending = false;
        if (s.HasLast && IsReportOf(s.Last, kind, part, time)) {
            Add(s.Before);
        } else {
            s.Pending = true;
            s.Part = part;
            s.Time = time;
        }
    }
    // From any thread; an event still waiting for its report is not counted yet.
    activity::InputOrderCounts Counts() const noexcept {
        const Slot& k = slots_[Index(Kind::Keyboard)];
        const Slot& m = slots_[Index(Kind::Mouse)];
        constexpr auto relaxed = std::memory_order_relaxed;
        return {k.Before.load(relaxed), k.After.load(relaxed), k.None.load(relaxed),
                m.Before.load(relaxed), m.After.load(relaxed), m.None.load(relaxed)};
    }
    bool Observed() const noexcept {
        const activity::InputOrderCounts c = Counts();
        return c.KeysBefore + c.KeysAfter + c.KeysNone + c.MiceBefore + c.MiceAfter + c.MiceNone != 0;
    }

private:
    struct Slot {
        std::atomic<std::uint32_t> Before{0}, After{0}, None{0};  // written by the hook thread alone
        RawEvent Last{};
        bool HasLast = false;
        bool Pending = false;
        std::uint32_t Part = 0;
        std::uint32_t Time = 0;
    };
    static constexpr int Index(Kind kind) noexcept { return kind == Kind::Keyboard ? 0 : 1; }
    static void Add(std::atomic<std::uint32_t>& n) noexcept {
        n.store(n.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
    Slot slots_[2];
};

}  // namespace quorlin::devices
