// The plain-text report "Copy diagnostics" puts on the clipboard for a bug report. Its words are
// fixed English, like the report queries: a maintainer reads it, whatever the user's language.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "blocker/ActivityRing.h"
#include "settings/Settings.h"

namespace quorlin::activity {

struct DeviceFact {
    bool Mouse = true;
    std::wstring Name;
    bool BuiltIn = true;
    bool ByUser = false;  // placed by the user, else the program's own guess
};

struct DiagnosticsFacts {
    std::wstring Version;  // as the tray tip shows it
    std::uint32_t WindowsMajor = 0, WindowsMinor = 0, WindowsBuild = 0;
    std::vector<int> MonitorDpis;
    std::wstring Touchpad;  // "driver interface", "precision touchpad" or "none"
    std::vector<DeviceFact> Devices;
    std::optional<std::uint32_t> HooksInstalledSecondsAgo;  // nothing while none are in place
    std::uint32_t HooksFoundRemoved = 0;
    std::uint32_t HooksPutBack = 0;
    std::optional<bool> ForegroundEventArrives;  // nothing: no change of the program in front seen yet
    const AppSettings* Settings = nullptr;
    // Nothing when no device option was on since start.
    std::optional<InputOrderCounts> InputOrder;
};

// "Input order: K key events and M mouse events had their raw report before the hook, ...".
std::wstring InputOrderLine(const std::optional<InputOrderCounts>& counts);
// The first line is "Quorlin VERSION diagnostics"; lines end in CR LF.
std::wstring DiagnosticsText(const DiagnosticsFacts& facts);

}  // namespace quorlin::activity
