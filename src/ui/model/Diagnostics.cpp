#include "ui/model/Diagnostics.h"

#include "base/Decimal.h"

namespace quorlin::activity {

namespace {

std::wstring N(long long v) { return DecimalTextW(v); }

std::wstring ValueText(const std::wstring& v) { return L"\"" + v + L"\""; }
std::wstring ValueText(bool v) { return v ? L"1" : L"0"; }
std::wstring ValueText(std::int32_t v) { return N(v); }

}  // namespace

std::wstring InputOrderLine(const std::optional<InputOrderCounts>& c) {
    if (!c) return L"Input order: not observed (no device option was on)";
    return L"Input order: " + N(c->KeysBefore) + L" key events and " + N(c->MiceBefore) +
           L" mouse events had their raw report before the hook, " + N(c->KeysAfter) + L" and " + N(c->MiceAfter) +
           L" after it, " + N(c->KeysNone) + L" and " + N(c->MiceNone) + L" none";
}

std::wstring DiagnosticsText(const DiagnosticsFacts& f) {
    std::wstring t;
    const auto line = [&t](const std::wstring& text) { t += text + L"\r\n"; };
    line(L"Quorlin " + f.Version + L" diagnostics");
    line(L"Windows: " + N(f.WindowsMajor) + L"." + N(f.WindowsMinor) + L" build " + N(f.WindowsBuild));
    std::wstring dpis;
    for (int dpi : f.MonitorDpis) dpis += (dpis.empty() ? L"" : L", ") + N(dpi);
    line(L"Monitor DPI: " + (dpis.empty() ? L"unknown" : dpis));
    line(L"Touchpad: " + f.Touchpad);
    line(L"Input devices: " + N(static_cast<long long>(f.Devices.size())));
    for (const DeviceFact& d : f.Devices)
        line(std::wstring(L"  ") + (d.Mouse ? L"mouse" : L"keyboard") + L", " + (d.BuiltIn ? L"built in" : L"external") +
             (d.ByUser ? L" (by the user)" : L" (guessed)") + L": " + d.Name);
    line(L"Hooks: " + (f.HooksInstalledSecondsAgo ? L"installed " + N(*f.HooksInstalledSecondsAgo) + L" s ago"
                                                  : std::wstring(L"not installed")) +
         L", found removed " + N(f.HooksFoundRemoved) + L" times, put back " + N(f.HooksPutBack) + L" times");
    line(std::wstring(L"Foreground event: ") +
         (!f.ForegroundEventArrives ? L"no change seen yet" : *f.ForegroundEventArrives ? L"arrives" : L"does not arrive"));
    line(InputOrderLine(f.InputOrder));
    if (!f.Settings) return t;
    line(L"Settings:");
    ForEachSetting([&](const auto& row) {
        line(L"  " + std::wstring(row.Name.Name) + L" = " + ValueText(f.Settings->*row.Member));
    });
    for (const auto& map : kSettingsMaps) {
        line(L"  " + std::wstring(map.Name.Name) + L":");
        for (const auto& [name, value] : f.Settings->*map.Member) line(L"    " + name + L" = " + N(value));
    }
    return t;
}

}  // namespace quorlin::activity
