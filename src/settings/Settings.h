// The persisted settings with their registry names and defaults, and the rules around them that need
// no system call: the text form of the window bounds, the choice in the interval list and the
// logon start entry's name and command line.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <tuple>

#include "base/ProgramRule.h"

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

// Every persisted value. Each member starts at its default from kSettingsTable below.
struct AppSettings {
    std::wstring Bounds;
    // The DPI of the window when Bounds was saved; 0 (absent) for values of earlier versions.
    std::int32_t BoundsDpi{};
    bool Visible{};
    bool AutoRun{};
    bool Balloons{};
    bool Internet{};
    bool BlockerEnabled{};
    bool BlockEvents{};
    bool BeepOnClick{};
    std::int32_t BlockCount{};
    // Milliseconds. Stored signed; the blocker reads the same 32 bits as unsigned, so a negative
    // value is a very long interval that the interval list then caps.
    std::int32_t Delay{};
    bool BlockerSwitch{};
    std::wstring BlockerShortcut;
    bool TouchpadSwitch{};
    std::wstring TouchpadShortcut;
    // Smart blocking, each off unless the user turns it on.
    bool PauseFullScreen{};
    bool IgnoreShortcutKeys{};
    bool IgnoreHeldKeys{};
    // A pointing device that is not part of the computer is never blocked; a keyboard that is not
    // starts no interval.
    bool IgnoreExternalMouse{};
    bool IgnoreExternalKeyboard{};
    // A single key blocks only briefly; keys that show typing block for the whole interval.
    bool AdaptToTyping{};
    // The user's placement of single devices, kept in the subkey "Devices": value name (the
    // upper-cased interface path) -> 1 built in, 2 external. Only those two are loaded or kept.
    std::map<std::wstring, std::uint32_t> DeviceOverrides;
    // Rules per program, kept in the subkey "Programs": one DWORD per program named by its file
    // name in lower case (see ProgramRule). An entry of 0 is a rule removed since the last save.
    ProgramRules Programs;

    AppSettings();
    bool operator==(const AppSettings&) const = default;
};

// One persisted value: its names, the member that holds it and its default (the value used when it
// is absent or unusable). The member's type gives the registry type: bool (0 or 1) and std::int32_t
// are REG_DWORD, text is REG_SZ.
template <typename T, typename Default = T>
struct SettingRow {
    SettingName Name;
    T AppSettings::*Member;
    Default Value;
};
using TextSetting = SettingRow<std::wstring, std::wstring_view>;
using BoolSetting = SettingRow<bool>;
using IntSetting = SettingRow<std::int32_t>;
// A map kept in a subkey of the row's name, one REG_DWORD per entry. It starts empty; only values
// within the range are read, so a damaged entry reads as absent. No subkey is made for an empty map.
// Which entries are kept: the others are neither read nor touched, and an entry the map holds but
// the filter refuses (0, a removed one) has its value deleted at the next save.
using DwordFilter = bool (*)(std::wstring_view name, std::uint32_t value);
using DwordMap = std::map<std::wstring, std::uint32_t>;
using MapSetting = SettingRow<DwordMap, DwordFilter>;

// The one list of the settings, in load and save order.
inline constexpr std::tuple kSettingsTable{
    TextSetting{{L"Bounds"}, &AppSettings::Bounds, L"0,0,0,0"},
    IntSetting{{L"BoundsDpi"}, &AppSettings::BoundsDpi, 0},
    BoolSetting{{L"Visible"}, &AppSettings::Visible, true},
    BoolSetting{{L"AutoRun"}, &AppSettings::AutoRun, true},
    BoolSetting{{L"Balloons"}, &AppSettings::Balloons, true},
    BoolSetting{{L"Internet"}, &AppSettings::Internet, true},
    BoolSetting{{L"BlockerEnabled"}, &AppSettings::BlockerEnabled, true},
    BoolSetting{{L"BlockEvents"}, &AppSettings::BlockEvents, true},
    BoolSetting{{L"BeepOnClick"}, &AppSettings::BeepOnClick, true},
    IntSetting{{L"BlockCount"}, &AppSettings::BlockCount, 0},
    IntSetting{{L"Delay", L"Threshhold"}, &AppSettings::Delay, 500},
    BoolSetting{{L"BlockerSwitch", L"ShortcutEnabled"}, &AppSettings::BlockerSwitch, true},
    TextSetting{{L"BlockerShortcut", L"Shortcut"}, &AppSettings::BlockerShortcut, L"Ctrl+F9"},
    BoolSetting{{L"TouchpadSwitch"}, &AppSettings::TouchpadSwitch, false},
    TextSetting{{L"TouchpadShortcut"}, &AppSettings::TouchpadShortcut, L"Ctrl+Alt+F9"},
    BoolSetting{{L"PauseFullScreen"}, &AppSettings::PauseFullScreen, false},
    BoolSetting{{L"IgnoreShortcutKeys"}, &AppSettings::IgnoreShortcutKeys, false},
    BoolSetting{{L"IgnoreHeldKeys"}, &AppSettings::IgnoreHeldKeys, false},
    BoolSetting{{L"IgnoreExternalMouse"}, &AppSettings::IgnoreExternalMouse, false},
    BoolSetting{{L"IgnoreExternalKeyboard"}, &AppSettings::IgnoreExternalKeyboard, false},
    BoolSetting{{L"AdaptToTyping"}, &AppSettings::AdaptToTyping, false},
};
// The language of the program's texts as a tag ("de"), set by hand; read at start, never written.
inline constexpr SettingName kLanguageSetting{L"Language"};

// The maps, each in its subkey, loaded and saved after the values.
inline constexpr MapSetting kSettingsMaps[] = {
    {{L"Devices"}, &AppSettings::DeviceOverrides, [](std::wstring_view, std::uint32_t v) { return v == 1 || v == 2; }},
    {{L"Programs"}, &AppSettings::Programs, IsStoredRule},
};
// More entries than anyone makes by hand are not read, so a hostile subkey cannot cost much.
inline constexpr std::size_t kMaxMapEntries = 256;

// Calls f with every row of the table, in its order.
template <typename F>
constexpr void ForEachSetting(F&& f) {
    std::apply([&f](const auto&... row) { (f(row), ...); }, kSettingsTable);
}

// The defaults, for whatever starts from them before any load (the settings window's design).
const AppSettings& DefaultSettings();

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

struct BoundsCorner {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    bool operator==(const BoundsCorner&) const = default;
};

// Where the window's top-left corner goes when it is restored from the stored rectangle while it is
// width x height at dpi. At the DPI it was stored at, and for values of earlier versions (storedDpi
// 0 or less), the stored corner as it is. At another DPI the window has another size: it keeps the
// stored rectangle's centre, so it grows or shrinks around the place the user left it.
BoundsCorner RestoredCorner(const BoundsRect& stored, std::int32_t storedDpi, std::int32_t dpi, std::int32_t width,
                            std::int32_t height) noexcept;

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
// The executable a logon entry's command starts: the quoted first word, or the text up to the first
// blank when it is not quoted; empty for an empty command or an unclosed quote.
std::wstring_view RunEntryExecutable(std::wstring_view command);

}  // namespace quorlin
