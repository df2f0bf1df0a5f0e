// Usage reports without any system call: the report's address, its query text, and when a report
// is made (the throttle and the minutes timer's choice), with time and chance passed in.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace quorlin {

// text followed by "/" unless it already ends in one.
std::string EnsureTrailingSlash(std::string_view text);

// The address of one report: base with a final "/", then the name with a final "/" when there
// is a name, then "?" and the query when there is a query. Nothing is added or escaped.
std::string ReportUrl(std::string_view base, std::string_view name, std::string_view query);

// The address as it can stand in an HTTP request line: spaces, control characters and the bytes
// of non-ASCII characters (UTF-8) become %XX, as a browser sends them. Everything else, "+" and
// "%" included, passes unchanged.
std::string RequestLineForm(std::string_view url);

// The fixed words for booleans in report queries, indexed by the boolean; never translated.
inline constexpr std::string_view OnOffLiterals[2] = {"Off", "On"};

// What a report tells about the program; texts in UTF-8.
struct ReportInputs {
    std::string Version;
    bool AutoRun = false;
    bool Balloons = false;
    bool BlockerEnabled = false;
    std::uint32_t BlockInterval = 0;
    bool BlockEvents = false;
    bool BeepOnClick = false;
    std::int32_t BlockCount = 0;
    bool BlockerSwitch = false;  // sht1 only when set
    std::string BlockerShortcut;
    bool TouchpadSwitch = false;  // sht2 only when set
    std::string TouchpadShortcut;
};

// "version=...&auto=...&tips=...&block=...&delay=...&also=...&beep=...&count=..." with "&sht1=",
// "&sht2=" and "&" extra where they apply. Values go in as they are.
std::string ComposeQuery(const ReportInputs& in, std::string_view extra);

// The extra text of "start" and "running": "date=yyyy-mm-dd".
std::string DateText(int year, int month, int day);

// A local date and time as days since 30 December 1899, the time of day as the fraction (the
// date-time that the report throttle compares). Seconds are the finest unit; the Gregorian
// calendar throughout.
double DateTimeDays(int year, int month, int day, int hour, int minute, int second);

// Whole minutes between two date-times (days, the time of day as the fraction), either order;
// 29 minutes 59 seconds give 29.
std::int64_t WholeMinutesApart(double a, double b);

// Milliseconds between two tick counts, either order, across the counter's wrap-around.
std::uint32_t ElapsedTicks(std::uint32_t now, std::uint32_t start);

inline constexpr std::int64_t kReportThrottleMinutes = 30;
inline constexpr std::int64_t kRunningReportMinutes = 1440;
inline constexpr int kRunningReportSpread = 720;  // the random part: 0 to 719 minutes

// What keeps any report back.
struct ReportGate {
    bool EndingSession = false;
    bool FirstReportPending = false;
    bool Terminating = false;
};

struct ReportDecision {
    bool Advance = false;  // the report time becomes now
    bool Send = false;     // the report goes to the transport
};

// A report passes the gate, then the 30-minute throttle unless forced; one that passes moves the
// report time on even when the online features are off, and is sent only when they are on.
ReportDecision DecideReport(const ReportGate& gate, bool force, bool online, double now, double lastReportTime);

struct TickReport {
    std::string_view Name;  // empty: no report
    bool Force = false;
};

// The report step of the minutes timer. The first tick clears firstReportPending and asks for
// "start" past the throttle; a later one asks for "running" once more than 1440 + random minutes
// (random from 0 to 719, drawn afresh each tick) passed since the last report.
TickReport MinutesTickReport(bool& firstReportPending, double now, double lastReportTime, int random);

}  // namespace quorlin
