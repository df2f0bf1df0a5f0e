#include "online/Reports.h"

#include <cmath>

#include "base/Decimal.h"

namespace quorlin {

std::string EnsureTrailingSlash(std::string_view text) {
    std::string out(text);
    if (out.empty() || out.back() != '/') out += '/';
    return out;
}

std::string ReportUrl(std::string_view base, std::string_view name, std::string_view query) {
    std::string url = EnsureTrailingSlash(base);
    if (!name.empty()) url += EnsureTrailingSlash(name);
    if (!query.empty()) {
        url += '?';
        url += query;
    }
    return url;
}

std::string RequestLineForm(std::string_view url) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(url.size());
    for (const char ch : url) {
        const auto c = static_cast<unsigned char>(ch);
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        } else {
            out += ch;
        }
    }
    return out;
}

std::string ComposeQuery(const ReportInputs& in, std::string_view extra) {
    auto onOff = [](bool b) { return std::string(OnOffLiterals[b ? 1 : 0]); };
    std::string q = "version=" + in.Version;
    q += "&auto=" + onOff(in.AutoRun);
    q += "&tips=" + onOff(in.Balloons);
    q += "&block=" + onOff(in.BlockerEnabled);
    q += "&delay=" + std::to_string(in.BlockInterval);
    q += "&also=" + onOff(in.BlockEvents);
    q += "&beep=" + onOff(in.BeepOnClick);
    q += "&count=" + std::to_string(in.BlockCount);
    if (in.BlockerSwitch) q += "&sht1=" + in.BlockerShortcut;
    if (in.TouchpadSwitch) q += "&sht2=" + in.TouchpadShortcut;
    if (!extra.empty()) {
        q += '&';
        q += extra;
    }
    return q;
}

std::string DateText(int year, int month, int day) {
    return "date=" + DecimalText(year, 4) + "-" + DecimalText(month, 2) + "-" + DecimalText(day, 2);
}

double DateTimeDays(int year, int month, int day, int hour, int minute, int second) {
    // Days from the civil calendar: March-based years, so the leap day ends a year.
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t m = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * m + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const std::int64_t sinceEpoch = era * 146097 + dayOfEra - 719468;  // days since 1 January 1970
    constexpr std::int64_t k1970 = 25569;                              // 1 January 1970 counted from 30 December 1899
    const double seconds = hour * 3600.0 + minute * 60.0 + second;
    return static_cast<double>(sinceEpoch + k1970) + seconds / 86400.0;
}

std::int64_t WholeMinutesApart(double a, double b) {
    const double minutes = std::fabs(a - b) * 1440.0;
    // Beyond what a signed 64-bit number holds (or not a number at all) counts as very far apart.
    if (!(minutes < 9.0e18)) return INT64_MAX;
    return static_cast<std::int64_t>(minutes);
}

std::uint32_t ElapsedTicks(std::uint32_t now, std::uint32_t start) {
    const auto diff = static_cast<std::int32_t>(now - start);
    return diff < 0 ? static_cast<std::uint32_t>(-static_cast<std::int64_t>(diff)) : static_cast<std::uint32_t>(diff);
}

ReportDecision DecideReport(const ReportGate& gate, bool force, bool online, double now, double lastReportTime) {
    if (gate.EndingSession || gate.FirstReportPending || gate.Terminating) return {};
    if (!force && WholeMinutesApart(now, lastReportTime) < kReportThrottleMinutes) return {};
    return {true, online};
}

TickReport MinutesTickReport(bool& firstReportPending, double now, double lastReportTime, int random) {
    if (firstReportPending) {
        firstReportPending = false;
        return {"start", true};
    }
    if (WholeMinutesApart(now, lastReportTime) > kRunningReportMinutes + random) return {"running", false};
    return {};
}

}  // namespace quorlin
