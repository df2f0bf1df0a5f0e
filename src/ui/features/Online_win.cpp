#include "ui/features/Online_win.h"

#include <random>

#include "base/System_win.h"
#include "base/Text_win.h"
#include "online/Kelvane_win.h"
#include "online/Reports.h"
#include "shell/Application_win.h"
#include "ui/model/Website.h"

namespace quorlin {

namespace {

// Local time as days since 30 December 1899, the time of day as the fraction; and today's date.
double NowAsDays(SYSTEMTIME& local) {
    GetLocalTime(&local);
    return DateTimeDays(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond);
}

// The random part of the "running" report's interval, drawn afresh at each tick.
int RunningReportSpread() {
    static std::mt19937 random{std::random_device{}()};
    return std::uniform_int_distribution<int>(0, kRunningReportSpread - 1)(random);
}

// The report's fields, as the model has them.
std::string Query(const AppSettings& s, std::string_view extra) {
    ReportInputs in;
    in.Version = ToUtf8(FileVersionString());
    in.AutoRun = s.AutoRun;
    in.Balloons = s.Balloons;
    in.BlockerEnabled = s.BlockerEnabled;
    in.BlockInterval = static_cast<std::uint32_t>(s.Delay);
    in.BlockEvents = s.BlockEvents;
    in.BeepOnClick = s.BeepOnClick;
    in.BlockCount = s.BlockCount;
    in.BlockerSwitch = s.BlockerSwitch;
    in.BlockerShortcut = ToUtf8(s.BlockerShortcut);
    in.TouchpadSwitch = s.TouchpadSwitch;
    in.TouchpadShortcut = ToUtf8(s.TouchpadShortcut);
    return ComposeQuery(in, extra);
}

}  // namespace

Online::Online(FeatureHost& host, HWND browserParent) : Feature(host) {
    // Waits for a report serve the messages through the application, so its message hook sees them.
    StartKelvane(website::kReportBase, browserParent, [] {
        TApplication& app = TApplication::Instance();
        app.ProcessMessages();
        return !app.Terminated();
    });
}

Online::~Online() { StopKelvane(); }

void Online::Report(std::string_view name, std::string_view extra, bool force) {
    SYSTEMTIME local;
    const double now = NowAsDays(local);
    const ReportGate gate{Model().EndingSession, firstReportPending_, TApplication::Instance().Terminated()};
    const ReportDecision decision = DecideReport(gate, force, Settings().Internet, now, lastReportTime_);
    if (decision.Advance) lastReportTime_ = now;
    if (decision.Send && KelvaneInstance) KelvaneInstance->Send(name, Query(Settings(), extra));
}

void Online::MinutesTick() {
    SYSTEMTIME today;
    const double now = NowAsDays(today);
    const TickReport tick = MinutesTickReport(firstReportPending_, now, lastReportTime_, RunningReportSpread());
    if (!tick.Name.empty()) Report(tick.Name, DateText(today.wYear, today.wMonth, today.wDay), tick.Force);
}

}  // namespace quorlin
