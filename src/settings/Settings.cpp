#include "settings/Settings.h"

#include <algorithm>
#include <limits>

#include "base/Decimal.h"

namespace quorlin {

AppSettings::AppSettings() {
    ForEachSetting([this](const auto& row) { this->*row.Member = row.Value; });
}

const AppSettings& DefaultSettings() {
    static const AppSettings defaults;
    return defaults;
}

std::wstring_view RelativeKeyPath(std::wstring_view path) noexcept {
    while (!path.empty() && path.front() == L'\\') path.remove_prefix(1);
    return path;
}

std::wstring FormatBounds(const BoundsRect& r) {
    return DecimalTextW(r.Left) + L',' + DecimalTextW(r.Top) + L',' + DecimalTextW(r.Right) + L',' +
           DecimalTextW(r.Bottom);
}

namespace {

std::wstring_view Trim(std::wstring_view s) {
    while (!s.empty() && s.front() <= L' ') s.remove_prefix(1);
    while (!s.empty() && s.back() <= L' ') s.remove_suffix(1);
    return s;
}

// Optional sign and decimal digits within the 32-bit range; anything else (overflow included) is 0.
std::int32_t ToIntOrZero(std::wstring_view s) {
    s = Trim(s);
    bool negative = false;
    if (!s.empty() && (s.front() == L'-' || s.front() == L'+')) {
        negative = s.front() == L'-';
        s.remove_prefix(1);
    }
    if (s.empty()) return 0;
    const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                        : std::int64_t{std::numeric_limits<std::int32_t>::max()};
    std::int64_t value = 0;
    for (wchar_t c : s) {
        if (c < L'0' || c > L'9') return 0;
        value = value * 10 + (c - L'0');
        if (value > limit) return 0;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

// A half is "a,b": split at its first ","; without one both numbers are 0.
void ParseHalf(std::wstring_view half, std::int32_t& first, std::int32_t& second) {
    const auto comma = half.find(L',');
    if (comma == std::wstring_view::npos) {
        first = second = 0;
        return;
    }
    first = ToIntOrZero(half.substr(0, comma));
    second = ToIntOrZero(half.substr(comma + 1));
}

}  // namespace

std::optional<BoundsRect> ParseBounds(std::wstring_view text) {
    // The halves meet at the second ",".
    std::wstring_view front = text, back;
    const auto first = text.find(L',');
    if (first != std::wstring_view::npos) {
        const auto second = text.find(L',', first + 1);
        if (second != std::wstring_view::npos) {
            front = text.substr(0, second);
            back = text.substr(second + 1);
        }
    }
    BoundsRect r;
    ParseHalf(front, r.Left, r.Top);
    ParseHalf(back, r.Right, r.Bottom);
    if (r == BoundsRect{}) return std::nullopt;
    return r;
}

BoundsCorner RestoredCorner(const BoundsRect& stored, std::int32_t storedDpi, std::int32_t dpi, std::int32_t width,
                            std::int32_t height) noexcept {
    const BoundsCorner corner{stored.Left, stored.Top};
    // Without a rectangle (a value that names only the corner) there is no centre to keep.
    if (storedDpi <= 0 || storedDpi == dpi || stored.Right <= stored.Left || stored.Bottom <= stored.Top) return corner;
    auto keepCentre = [](std::int64_t low, std::int64_t high, std::int64_t size) {
        const std::int64_t at = low + (high - low) / 2 - size / 2;
        return static_cast<std::int32_t>(std::clamp<std::int64_t>(at, std::numeric_limits<std::int32_t>::min(),
                                                                   std::numeric_limits<std::int32_t>::max()));
    };
    return {keepCentre(stored.Left, stored.Right, width), keepCentre(stored.Top, stored.Bottom, height)};
}

IntervalChoice ChooseInterval(std::span<const std::uint32_t> entries, std::uint32_t interval) noexcept {
    if (entries.empty()) return {std::nullopt, kEmptyListInterval};
    std::size_t index = entries.size() - 1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i] >= interval) {
            index = i;
            break;
        }
    }
    return {index, entries[index]};
}

IntervalChoice ChooseInterval(std::uint32_t interval) noexcept {
    static constexpr auto kMilliseconds = [] {
        std::array<std::uint32_t, kIntervalList.size()> ms{};
        for (std::size_t i = 0; i < ms.size(); ++i) ms[i] = kIntervalList[i].Milliseconds;
        return ms;
    }();
    return ChooseInterval(kMilliseconds, interval);
}

std::wstring RunEntryName(std::wstring_view exePath) {
    const auto sep = exePath.find_last_of(L"\\:");
    return std::wstring(sep == std::wstring_view::npos ? exePath : exePath.substr(sep + 1));
}

std::wstring_view RunEntryExecutable(std::wstring_view command) {
    const auto start = command.find_first_not_of(L" \t");
    if (start == std::wstring_view::npos) return {};
    command.remove_prefix(start);
    if (command.front() != L'"') return command.substr(0, command.find_first_of(L" \t"));
    const auto close = command.find(L'"', 1);
    return close == std::wstring_view::npos ? std::wstring_view() : command.substr(1, close - 1);
}

std::wstring RunEntryCommand(std::wstring_view exePath) {
    std::wstring cmd;
    cmd.reserve(exePath.size() + 12);
    cmd += L'"';
    cmd += exePath;
    cmd += L"\" -startup";
    return cmd;
}

}  // namespace quorlin
