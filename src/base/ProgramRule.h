// Rules per program: what one program's rule says, how it is stored, and how a program is named.
// Shared by the settings (which keep the rules) and the blocker (which applies the one in front).
#pragma once
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace quorlin {

// Kept as its stored number, so the hooks read the rule in front as one atomic word:
// 0 no rule, 1 never block, 2 clicks only, 100 to 5000 an interval of its own in milliseconds.
struct ProgramRule {
    std::uint32_t Code = 0;

    static constexpr std::uint32_t kNeverBlock = 1;
    static constexpr std::uint32_t kClicksOnly = 2;
    static constexpr std::uint32_t kShortestInterval = 100;
    static constexpr std::uint32_t kLongestInterval = 5000;

    // A stored number that is none of the above is no rule.
    static constexpr ProgramRule FromStored(std::uint32_t value) noexcept {
        const bool known = value == kNeverBlock || value == kClicksOnly ||
                           (value >= kShortestInterval && value <= kLongestInterval);
        return {known ? value : 0};
    }
    static constexpr ProgramRule Interval(std::uint32_t ms) noexcept { return FromStored(ms); }

    constexpr bool Any() const noexcept { return Code != 0; }
    constexpr bool NeverBlocks() const noexcept { return Code == kNeverBlock; }
    constexpr bool ClicksOnly() const noexcept { return Code == kClicksOnly; }
    // The rule's own interval, or the settings' one when it has none.
    constexpr std::uint32_t IntervalOr(std::uint32_t settings) const noexcept {
        return Code >= kShortestInterval ? Code : settings;
    }
    bool operator==(const ProgramRule&) const = default;
};

// Stored numbers by executable file name in lower case, as the registry keeps them; 0 marks a rule
// that was removed.
using ProgramRules = std::map<std::wstring, std::uint32_t>;

// Longer names are no file name a program runs from.
inline constexpr std::size_t kMaxProgramNameLength = 260;

// Case folding for file names: ASCII, Latin-1, Greek and Cyrillic capitals to small letters; the
// same on every platform, so a name matches alike where it is stored and where it is looked up.
wchar_t FoldCase(wchar_t c) noexcept;
std::wstring FoldCase(std::wstring_view text);

// The file name of a full path (after the last '\', '/' or ':'), folded: what a rule is named by.
std::wstring ProgramName(std::wstring_view imagePath);

// A name a rule can have: a folded file name of at most kMaxProgramNameLength characters, without
// path separators or characters no file name has, and neither "." nor "..".
bool IsProgramName(std::wstring_view name) noexcept;

// One stored DWORD of the rules' subkey is a rule only under a program name and with a known
// number; anything else is no rule and is left alone.
bool IsStoredRule(std::wstring_view name, std::uint32_t value) noexcept;

// The rule of the program with this executable file name, in any case; no rule when it has none.
ProgramRule FindRule(const ProgramRules& rules, std::wstring_view fileName);

// The longest interval any rule gives, 0 when none does.
std::uint32_t LongestRuleInterval(const ProgramRules& rules) noexcept;

}  // namespace quorlin
