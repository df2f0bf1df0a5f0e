// The persisted settings, their registry names and defaults, and the rules around them that need
// no system call: the text form of the window bounds, the choice in the interval list and the
// logon start entry's name and command line.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace quorlin {

// Under HKEY_CURRENT_USER. Kept with its leading backslash; RelativeKeyPath strips it for the
// registry calls, which want a path relative to the root.
inline constexpr std::wstring_view kSettingsKeyPath = L"\\Software\\VENTARIS\\Quorlin";
inline constexpr std::wstring_view kRunKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::wstring_view RelativeKeyPath(std::wstring_view path) noexcept;

// A value's current name and, for the few renamed ones, the old name that is still read when the
// current one is absent. Old names are never written.
struct SettingName {
    std::wstring_view Name;
    std::wstring_view Legacy{};
};

namespace setting {
inline constexpr SettingName Bounds{L"Bounds"};
inline constexpr SettingName Visible{L"Visible"};
inline constexpr SettingName AutoRun{L"AutoRun"};
inline constexpr SettingName Balloons{L"Balloons"};
inline constexpr SettingName Internet{L"Internet"};
inline constexpr SettingName BlockerEnabled{L"BlockerEnabled"};
inline constexpr SettingName BlockEvents{L"BlockEvents"};
inline constexpr SettingName BeepOnClick{L"BeepOnClick"};
inline constexpr SettingName BlockCount{L"BlockCount"};
inline constexpr SettingName Delay{L"Delay", L"Threshhold"};
inline constexpr SettingName BlockerSwitch{L"BlockerSwitch", L"ShortcutEnabled"};
inline constexpr SettingName BlockerShortcut{L"BlockerShortcut", L"Shortcut"};
inline constexpr SettingName TouchpadSwitch{L"TouchpadSwitch"};
inline constexpr SettingName TouchpadShortcut{L"TouchpadShortcut"};
}  // namespace setting

// Every persisted value with its default (the value used when it is absent or unreadable).
// Booleans are REG_DWORD 0/1, integers REG_DWORD, texts REG_SZ. Members are in load and save order.
struct AppSettings {
    std::wstring Bounds = L"0,0,0,0";
    bool Visible = true;
    bool AutoRun = true;
    bool Balloons = true;
    bool Internet = true;
    bool BlockerEnabled = true;
    bool BlockEvents = true;
    bool BeepOnClick = true;
    std::int32_t BlockCount = 0;
    // Milliseconds. Stored signed; the blocker reads the same 32 bits as unsigned, so a negative
    // value is a very long interval that the interval list then caps.
    std::int32_t Delay = 500;
    bool BlockerSwitch = true;
    std::wstring BlockerShortcut = L"Ctrl+F9";
    bool TouchpadSwitch = false;
    std::wstring TouchpadShortcut = L"Ctrl+Alt+F9";

    bool operator==(const AppSettings&) const = default;
};

// Texts longer than this are not settings anyone wrote through the program: reading such a value
// treats it as unusable and writing one is refused, so a hostile value cannot cost much memory.
inline constexpr std::size_t kMaxSettingTextLength = 4096;

// The window's restored rectangle in screen pixels.
struct BoundsRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    bool operator==(const BoundsRect&) const = default;
};

// "left,top,right,bottom" in plain decimal, "-" for negatives, no blanks.
std::wstring FormatBounds(const BoundsRect& r);

// Reads the four numbers; a part that is not a decimal 32-bit integer (blanks around it allowed)
// counts as 0. Returns nothing when all four are 0, which covers the default "0,0,0,0" as well as
// unreadable text: the caller then centres the window instead of moving it.
std::optional<BoundsRect> ParseBounds(std::wstring_view text);

// The block interval list of the settings window, in display order; the item text is the prefix
// followed by the localised word for seconds.
struct IntervalEntry {
    std::wstring_view Prefix;
    std::uint32_t Milliseconds;
};
inline constexpr std::array<IntervalEntry, 10> kIntervalList{{
    {L"0.1 ", 100}, {L"1/8 ", 125}, {L"1/4 ", 250}, {L"1/2 ", 500}, {L"3/4 ", 750},
    {L"1.0 ", 1000}, {L"1.5 ", 1500}, {L"2.0 ", 2000}, {L"2.5 ", 2500}, {L"3.0 ", 3000},
}};
inline constexpr std::uint32_t kEmptyListInterval = 500;

struct IntervalChoice {
    std::optional<std::size_t> Index;  // the entry to select; nothing for an empty list
    std::uint32_t Interval;            // the block interval that follows from it
};

// The first entry at least as long as the interval, else the last one: an interval between two
// entries is raised to the next, one beyond the list (a negative stored value included) is capped.
IntervalChoice ChooseInterval(std::span<const std::uint32_t> entries, std::uint32_t interval) noexcept;
IntervalChoice ChooseInterval(std::uint32_t interval) noexcept;  // against kIntervalList

// The logon start entry: named after the executable's file name (after the last "\" or ":"),
// holding the quoted full path, a blank and "-startup".
std::wstring RunEntryName(std::wstring_view exePath);
std::wstring RunEntryCommand(std::wstring_view exePath);

}  // namespace quorlin
