#include "online/Reports.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace quorlin;

namespace {

constexpr double kDay = 45000.25;  // a date-time: some day at 6:00
double Minutes(double m) { return m / 1440.0; }

TEST(ReportUrl, SlashesAndQuestionMarkOnlyWhereTheyBelong) {
    EXPECT_EQ(ReportUrl("http://h/ping", "stop", ""), "http://h/ping/stop/");
    EXPECT_EQ(ReportUrl("http://h/ping/", "stop/", ""), "http://h/ping/stop/");
    EXPECT_EQ(ReportUrl("http://h/ping", "", ""), "http://h/ping/");
    EXPECT_EQ(ReportUrl("http://h/ping/", "", "a=1"), "http://h/ping/?a=1");
    EXPECT_EQ(ReportUrl("http://h/ping/", "start", "a=1&b=2"), "http://h/ping/start/?a=1&b=2");
    // The query is not touched: plus signs, blanks and other characters stay as they are.
    EXPECT_EQ(ReportUrl("http://h/", "x", "s=Ctrl+F9&t=a b\xC3\xA9"), "http://h/x/?s=Ctrl+F9&t=a b\xC3\xA9");
}

TEST(ReportUrl, RequestLineFormEncodesOnlyWhatCannotStandThere) {
    EXPECT_EQ(RequestLineForm("http://h/x/?s=Ctrl+Alt+F9&t=a b"), "http://h/x/?s=Ctrl+Alt+F9&t=a%20b");
    EXPECT_EQ(RequestLineForm("?n=\xC3\xA9\xE2\x84\xA2"), "?n=%C3%A9%E2%84%A2");  // UTF-8 bytes
    EXPECT_EQ(RequestLineForm(std::string("\t\r\n\x7F\0", 5)), "%09%0D%0A%7F%00");
    EXPECT_EQ(RequestLineForm("%41#&=/~"), "%41#&=/~");  // already escaped-looking text is left alone
}

ReportInputs Defaults() {
    ReportInputs in;
    in.Version = "2.9.0.59";
    in.AutoRun = true;
    in.Balloons = true;
    in.BlockerEnabled = true;
    in.BlockInterval = 500;
    in.BlockEvents = true;
    in.BeepOnClick = true;
    in.BlockerSwitch = true;
    in.BlockerShortcut = "Ctrl+F9";
    in.TouchpadShortcut = "Ctrl+Alt+F9";
    return in;
}

TEST(ComposeQuery, PiecesInOrderWithShortcutsOnlyWhenSwitchedOn) {
    ReportInputs in = Defaults();
    EXPECT_EQ(ComposeQuery(in, "date=2024-03-07"),
              "version=2.9.0.59&auto=On&tips=On&block=On&delay=500&also=On&beep=On&count=0&sht1=Ctrl+F9"
              "&date=2024-03-07");
    in = ReportInputs{};
    in.Version = "1.0.0.1";
    in.BlockInterval = 4294967295u;
    in.BlockCount = -3;
    in.TouchpadSwitch = true;
    in.TouchpadShortcut = "Shift+Alt+Ins";
    EXPECT_EQ(ComposeQuery(in, "id=1977"),
              "version=1.0.0.1&auto=Off&tips=Off&block=Off&delay=4294967295&also=Off&beep=Off&count=-3"
              "&sht2=Shift+Alt+Ins&id=1977");
    EXPECT_EQ(DateText(987, 3, 7), "date=0987-03-07");
}

TEST(DateTimeDays, CountsFromTheEndOf1899AcrossLeapYears) {
    EXPECT_EQ(DateTimeDays(1899, 12, 30, 0, 0, 0), 0.0);
    EXPECT_EQ(DateTimeDays(1899, 12, 29, 0, 0, 0), -1.0);
    EXPECT_EQ(DateTimeDays(1900, 3, 1, 0, 0, 0), 61.0);  // 1900 has no 29 February
    EXPECT_EQ(DateTimeDays(2000, 1, 1, 0, 0, 0), 36526.0);
    EXPECT_EQ(DateTimeDays(2000, 3, 1, 0, 0, 0), 36586.0);  // 2000 has one
    EXPECT_EQ(DateTimeDays(2024, 2, 29, 0, 0, 0), 45351.0);
    EXPECT_EQ(DateTimeDays(2024, 3, 1, 18, 0, 0), 45352.75);
    EXPECT_EQ(WholeMinutesApart(DateTimeDays(2026, 12, 31, 23, 45, 0), DateTimeDays(2027, 1, 1, 0, 14, 59)), 29);
}

TEST(WholeMinutesApart, TruncatesEitherWayRound) {
    EXPECT_EQ(WholeMinutesApart(kDay, kDay + Minutes(29 + 59 / 60.0)), 29);
    EXPECT_EQ(WholeMinutesApart(kDay + Minutes(29 + 59 / 60.0), kDay), 29);
    EXPECT_EQ(WholeMinutesApart(kDay, kDay + Minutes(30 + 1 / 60.0)), 30);
    EXPECT_EQ(WholeMinutesApart(kDay, 0), 64800360);  // since the zero date, as for a first report
    EXPECT_EQ(WholeMinutesApart(std::numeric_limits<double>::infinity(), 0), INT64_MAX);
    EXPECT_EQ(WholeMinutesApart(std::nan(""), 0), INT64_MAX);
}

TEST(ElapsedTicks, EitherOrderAcrossTheWrap) {
    EXPECT_EQ(ElapsedTicks(5, 0xFFFFFFF0u), 21u);
    EXPECT_EQ(ElapsedTicks(0xFFFFFFF0u, 5), 21u);
    EXPECT_EQ(ElapsedTicks(10500, 500), 10000u);
    EXPECT_EQ(ElapsedTicks(0x80000000u, 0), 0x80000000u);
}

TEST(DecideReport, GateThenThrottleThenOnlineSwitch) {
    const double last = kDay;
    const double later = kDay + Minutes(30.5);
    const double soon = kDay + Minutes(29.5);
    auto same = [](ReportDecision d, bool advance, bool send) { return d.Advance == advance && d.Send == send; };

    EXPECT_TRUE(same(DecideReport({}, false, true, later, last), true, true));
    EXPECT_TRUE(same(DecideReport({}, false, true, soon, last), false, false)) << "throttled";
    EXPECT_TRUE(same(DecideReport({}, true, true, soon, last), true, true)) << "forced past the throttle";
    EXPECT_TRUE(same(DecideReport({}, false, false, later, last), true, false)) << "offline still advances";
    EXPECT_TRUE(same(DecideReport({}, false, true, kDay, 0), true, true)) << "the very first report";

    for (const ReportGate gate : {ReportGate{true, false, false}, ReportGate{false, true, false},
                                  ReportGate{false, false, true}})
        EXPECT_TRUE(same(DecideReport(gate, true, true, later, last), false, false));
}

TEST(MinutesTickReport, StartOnceThenRunningAfterADayAndTheRandomPart) {
    bool pending = true;
    TickReport r = MinutesTickReport(pending, kDay, kDay, 0);
    EXPECT_EQ(r.Name, "start");
    EXPECT_TRUE(r.Force);
    EXPECT_FALSE(pending);

    EXPECT_EQ(MinutesTickReport(pending, kDay + Minutes(1440.5), kDay, 0).Name, "");
    r = MinutesTickReport(pending, kDay + Minutes(1441.5), kDay, 0);
    EXPECT_EQ(r.Name, "running");
    EXPECT_FALSE(r.Force);
    EXPECT_EQ(MinutesTickReport(pending, kDay + Minutes(2159.5), kDay, 719).Name, "");
    EXPECT_EQ(MinutesTickReport(pending, kDay + Minutes(2160.5), kDay, 719).Name, "running");
    EXPECT_EQ(MinutesTickReport(pending, kDay + Minutes(1800.5), kDay, 360).Name, "");
    EXPECT_FALSE(pending);
}

}  // namespace
