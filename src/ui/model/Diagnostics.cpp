#include "ui/model/Diagnostics.h"

#include <initializer_list>
#include <string_view>

#include "base/Decimal.h"

namespace quorlin::activity {

namespace {

std::wstring N(long long v) { return DecimalTextW(v); }

// Appends the parts and, when asked, a line end: one call instead of a chain of temporaries.
void Put(std::wstring& t, std::initializer_list<std::wstring_view> parts, bool end = true) {
    for (std::wstring_view part : parts) t += part;
    if (end) t += L"\r\n";
}

std::wstring ValueText(const std::wstring& v) { return L"\"" + v + L"\""; }
std::wstring ValueText(bool v) { return v ? L"1" : L"0"; }
std::wstring ValueText(std::int32_t v) { return N(v); }

}  // namespace

std::wstring InputOrderLine(const std::optional<InputOrderCounts>& c) {
    std::wstring t;
    if (!c) {
        Put(t, {L"Input order: not observed (no device option was on)"}, false);
        return t;
    }
    Put(t, {L"Input order: ", N(c->KeysBefore), L" key events and ", N(c->MiceBefore),
            L" mouse events had their raw report before the hook, ", N(c->KeysAfter), L" and ", N(c->MiceAfter),
            L" after it, ", N(c->KeysNone), L" and ", N(c->MiceNone), L" none"},
        false);
    return t;
}

std::wstring DiagnosticsText(const DiagnosticsFacts& f) {
    std::wstring t;
    Put(t, {L"Quorlin ", f.Version, L" diagnostics"});
    Put(t, {L"Windows: ", N(f.WindowsMajor), L".", N(f.WindowsMinor), L" build ", N(f.WindowsBuild)});
    Put(t, {L"Monitor DPI:"}, false);
    for (int dpi : f.MonitorDpis) Put(t, {L" ", N(dpi)}, false);
    Put(t, {f.MonitorDpis.empty() ? L" unknown" : L""});
    Put(t, {L"Touchpad: ", f.Touchpad});
    Put(t, {L"Input devices: ", N(static_cast<long long>(f.Devices.size()))});
    for (const DeviceFact& d : f.Devices)
        Put(t, {L"  ", d.Mouse ? L"mouse" : L"keyboard", d.BuiltIn ? L", built in" : L", external",
                d.ByUser ? L" (by the user): " : L" (guessed): ", d.Name});
    Put(t, {L"Hooks: "}, false);
    if (f.HooksInstalledSecondsAgo) Put(t, {L"installed ", N(*f.HooksInstalledSecondsAgo), L" s ago"}, false);
    else Put(t, {L"not installed"}, false);
    Put(t, {L", found removed ", N(f.HooksFoundRemoved), L" times, put back ", N(f.HooksPutBack), L" times"});
    Put(t, {L"Foreground event: ", !f.ForegroundEventArrives  ? L"no change seen yet"
                                   : *f.ForegroundEventArrives ? L"arrives"
                                                               : L"does not arrive"});
    Put(t, {InputOrderLine(f.InputOrder)});
    if (!f.Settings) return t;
    Put(t, {L"Settings:"});
    ForEachSetting([&](const auto& row) { Put(t, {L"  ", row.Name.Name, L" = ", ValueText(f.Settings->*row.Member)}); });
    for (const auto& map : kSettingsMaps) {
        Put(t, {L"  ", map.Name.Name, L":"});
        for (const auto& [name, value] : f.Settings->*map.Member) Put(t, {L"    ", name, L" = ", N(value)});
    }
    return t;
}

}  // namespace quorlin::activity
