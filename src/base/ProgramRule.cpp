#include "base/ProgramRule.h"

#include <algorithm>

namespace quorlin {

wchar_t FoldCase(wchar_t c) noexcept {
    const auto u = static_cast<std::uint32_t>(c);
    const auto plus = [c](std::uint32_t n) { return static_cast<wchar_t>(static_cast<std::uint32_t>(c) + n); };
    if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) return plus(0x20);
    // Latin Extended-A pairs a capital with the small letter after it, the start shifting at 0x139.
    if ((u >= 0x100 && u <= 0x12F) || (u >= 0x132 && u <= 0x137) || (u >= 0x14A && u <= 0x177))
        return u % 2 == 0 ? plus(1) : c;
    if ((u >= 0x139 && u <= 0x148) || (u >= 0x179 && u <= 0x17E)) return u % 2 == 1 ? plus(1) : c;
    if (u == 0x178) return static_cast<wchar_t>(0xFF);
    if (u >= 0x391 && u <= 0x3A9 && u != 0x3A2) return plus(0x20);  // Greek
    if (u >= 0x410 && u <= 0x42F) return plus(0x20);                 // Cyrillic
    if (u >= 0x400 && u <= 0x40F) return plus(0x50);
    return c;
}

std::wstring FoldCase(std::wstring_view text) {
    std::wstring folded(text);
    for (auto& c : folded) c = FoldCase(c);
    return folded;
}

std::wstring ProgramName(std::wstring_view imagePath) {
    const auto sep = imagePath.find_last_of(L"\\/:");
    return FoldCase(sep == std::wstring_view::npos ? imagePath : imagePath.substr(sep + 1));
}

bool IsProgramName(std::wstring_view name) noexcept {
    if (name.empty() || name.size() > kMaxProgramNameLength || name == L"." || name == L"..") return false;
    for (wchar_t c : name)
        if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos || FoldCase(c) != c)
            return false;
    return true;
}

bool IsStoredRule(std::wstring_view name, std::uint32_t value) noexcept {
    return IsProgramName(name) && ProgramRule::FromStored(value).Any();
}

ProgramRule FindRule(const ProgramRules& rules, std::wstring_view fileName) {
    if (rules.empty()) return {};
    const auto it = rules.find(FoldCase(fileName));
    return it == rules.end() ? ProgramRule{} : ProgramRule::FromStored(it->second);
}

std::uint32_t LongestRuleInterval(const ProgramRules& rules) noexcept {
    std::uint32_t longest = 0;
    for (const auto& [name, code] : rules)
        longest = std::max(longest, ProgramRule::FromStored(code).IntervalOr(0));
    return longest;
}

}  // namespace quorlin
