// What the Activity window shows, free of system calls: the presses read from the hooks' ring,
// which of them were repeated at once, the histogram of their times after a key, the suggested
// interval and the text that "Copy" puts on the clipboard.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "blocker/ActivityRing.h"

namespace quorlin::activity {

enum class Result : std::uint8_t { Blocked, Repeated, Passed };

struct Entry {
    Press press;
    std::uint32_t TimeOfDay = 0;  // milliseconds after local midnight
    std::wstring Program;         // the file name of the program in front
    int Dpi = 96;                 // of the monitor the press was on
    bool Repeated = false;        // blocked, and pressed again at once (IsRepeatOf)

    Result Outcome() const noexcept {
        return !press.Blocked ? Result::Passed : Repeated ? Result::Repeated : Result::Blocked;
    }
};

// A press meant by the user is pressed again when it is swallowed: the same button within 1.5 s,
// within 8 pixels at 96 DPI (scaled to the monitor's DPI), with no key between.
inline constexpr int kRepeatDistance = 8;
bool IsRepeatOf(const Entry& first, const Press& later) noexcept;

// The presses read so far, oldest first, as long as the window lives.
class Log {
public:
    static constexpr std::size_t kListed = 100;

    // Marks the blocked presses that this one repeats.
    void Add(Entry entry);
    void Clear() { entries_.clear(); }
    // The last kListed presses within kListedAfterKey of their key, newest first.
    std::vector<const Entry*> Listed() const;

private:
    std::vector<Entry> entries_;
};

// Counts per 100 ms from 0 to 2000 ms after the key, by result.
inline constexpr std::uint32_t kBinWidth = 100;
inline constexpr std::size_t kBins = kListedAfterKey / kBinWidth;
struct Histogram {
    std::array<std::array<std::uint32_t, kBins>, 3> Counts{};  // indexed by Result
    std::uint32_t Highest() const noexcept;
};
constexpr std::size_t BinOf(std::uint32_t afterKey) noexcept {
    return afterKey / kBinWidth < kBins ? afterKey / kBinWidth : kBins - 1;
}
Histogram MakeHistogram(const std::vector<const Entry*>& listed);

// An interval is suggested from at least 3 repeated presses among at least 20 blocked ones: the
// largest of the intervals offered at which 90 % of the repeated ones would have passed, unless it
// would also have let more than 20 % of the other blocked presses through.
struct Suggestion {
    enum class Kind { TooLittle, Conflict, Interval } What = Kind::TooLittle;
    std::uint32_t Milliseconds = 0;
    bool operator==(const Suggestion&) const = default;
};
Suggestion Suggest(const std::vector<const Entry*>& listed, std::span<const std::uint32_t> intervals);

// The translatable words of the list and its text.
struct Words {
    std::array<std::wstring, 6> Columns;  // time, button, after key, result, program, decided by
    std::array<std::wstring, 3> Buttons;
    std::array<std::wstring, 3> Results;  // indexed by Result
    std::array<std::wstring, kDeciders> Deciders;  // "%s" takes the milliseconds where one is shown
};

// "HH:MM:SS".
std::wstring TimeOfDayText(std::uint32_t msAfterMidnight);
// The cells of one row, in column order.
std::array<std::wstring, 6> Cells(const Entry& e, const Words& words);
// A header line, then one line per press, newest first; cells separated by tabs, lines by CR LF.
std::wstring CopyText(const std::vector<const Entry*>& listed, const Words& words);

}  // namespace quorlin::activity
