#include "ui/model/Activity.h"

#include "base/Decimal.h"
#include "base/Dpi.h"
#include "ui/model/StatusText.h"

namespace quorlin::activity {

bool IsRepeatOf(const Entry& first, const Press& later) noexcept {
    const Press& p = first.press;
    const std::int64_t dx = std::int64_t{later.X} - p.X;
    const std::int64_t dy = std::int64_t{later.Y} - p.Y;
    const std::int64_t reach = ScaleForDpi(kRepeatDistance, first.Dpi);
    // Unsigned differences keep the tick counter's wrap harmless.
    return later.Which == p.Which && later.KeyTick() == p.KeyTick() && later.Tick - p.Tick <= kRepeatWithin &&
           later.Tick != p.Tick && dx * dx + dy * dy <= reach * reach;
}

void Log::Add(Entry entry) {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (entry.press.Tick - it->press.Tick > kRepeatWithin) break;
        if (it->press.Blocked && IsRepeatOf(*it, entry.press)) it->Repeated = true;
    }
    entries_.push_back(std::move(entry));
    // Enough for the listed ones and the presses up to a repeat window after them.
    if (entries_.size() > 2 * kListed) entries_.erase(entries_.begin(), entries_.begin() + kListed);
}

std::vector<const Entry*> Log::Listed() const {
    std::vector<const Entry*> listed;
    for (auto it = entries_.rbegin(); it != entries_.rend() && listed.size() < kListed; ++it)
        if (it->press.AfterKey <= kListedAfterKey) listed.push_back(&*it);
    return listed;
}

std::uint32_t Histogram::Highest() const noexcept {
    std::uint32_t highest = 0;
    for (std::size_t bin = 0; bin < kBins; ++bin) {
        const std::uint32_t sum = Counts[0][bin] + Counts[1][bin] + Counts[2][bin];
        if (sum > highest) highest = sum;
    }
    return highest;
}

Histogram MakeHistogram(const std::vector<const Entry*>& listed) {
    Histogram h;
    for (const Entry* e : listed) ++h.Counts[static_cast<std::size_t>(e->Outcome())][BinOf(e->press.AfterKey)];
    return h;
}

Suggestion Suggest(const std::vector<const Entry*>& listed, std::span<const std::uint32_t> intervals) {
    std::uint32_t repeated = 0, blocked = 0;
    for (const Entry* e : listed) {
        blocked += e->press.Blocked;
        repeated += e->Outcome() == Result::Repeated;
    }
    if (repeated < 3 || blocked < 20) return {};
    const std::uint32_t others = blocked - repeated;
    // A press passes an interval it came at or after.
    const auto passing = [&](std::uint32_t interval, Result kind) {
        std::uint32_t n = 0;
        for (const Entry* e : listed) n += e->Outcome() == kind && e->press.AfterKey >= interval;
        return n;
    };
    for (auto it = intervals.rbegin(); it != intervals.rend(); ++it) {
        if (passing(*it, Result::Repeated) * 10 < repeated * 9) continue;
        if (passing(*it, Result::Blocked) * 5 > others) return {Suggestion::Kind::Conflict, 0};
        return {Suggestion::Kind::Interval, *it};
    }
    return {Suggestion::Kind::Conflict, 0};
}

std::wstring TimeOfDayText(std::uint32_t ms) {
    const std::uint32_t s = ms / 1000 % 86400;
    return DecimalTextW(s / 3600, 2) + L":" + DecimalTextW(s / 60 % 60, 2) + L":" + DecimalTextW(s % 60, 2);
}

std::array<std::wstring, 6> Cells(const Entry& e, const Words& words) {
    const Press& p = e.press;
    return {TimeOfDayText(e.TimeOfDay),
            words.Buttons[static_cast<std::size_t>(p.Which)],
            DecimalTextW(p.AfterKey),
            words.Results[static_cast<std::size_t>(e.Outcome())],
            e.Program,
            FormatText(words.Deciders[static_cast<std::size_t>(p.By)], {DecimalTextW(p.Length)})};
}

std::wstring CopyText(const std::vector<const Entry*>& listed, const Words& words) {
    std::wstring text;
    const auto line = [&text](const std::array<std::wstring, 6>& cells) {
        for (std::size_t i = 0; i < cells.size(); ++i) {
            if (i) text += L'\t';
            text += cells[i];
        }
        text += L"\r\n";
    };
    line(words.Columns);
    for (const Entry* e : listed) line(Cells(*e, words));
    return text;
}

}  // namespace quorlin::activity
