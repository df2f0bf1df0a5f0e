// What the real Quorlin.exe sends and opens on the web, seen from outside: its reports through a
// recording proxy that this test runs (handed over in http_proxy, as a user's environment would),
// and the update check through a stand-in browser. A second start makes the running instance run
// its minutes tick at once, so no test waits for the timer.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "LoopbackHttp.h"
#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"
#include "version.h"

using namespace testsupport;

namespace {

const std::wstring kOnline = L"&Online features (Updates, Kelvane\u2122, etc.)";
const std::string kHost = QUORLIN_WEBSITE_HOST;

std::string Today() {
    SYSTEMTIME t;
    GetLocalTime(&t);
    char text[16];
    std::snprintf(text, sizeof text, "%04u-%02u-%02u", t.wYear, t.wMonth, t.wDay);
    return text;
}

class OnlineEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteSettingsKey();
        const std::wstring proxy = L"http://127.0.0.1:" + std::to_wstring(proxy_.Port());
        ASSERT_TRUE(SetEnvironmentVariableW(L"http_proxy", proxy.c_str()));
    }
    void TearDown() override { app_.Stop(); }

    void StartApp() { ASSERT_TRUE(app_.Start()) << app_.Problem(); }
    // A second start: it ends itself, and the first instance shows its window and runs its tick.
    void StartAgain() {
        QuorlinProcess second;
        second.Launch();
        ASSERT_NE(second.WaitExit(10000), STILL_ACTIVE) << "the second copy should end itself";
        ASSERT_TRUE(PumpUntil([&] { return app_.Visible(); }, 5000));
    }
    // Close in the tray menu, then Yes: the way out that is not the end of the session.
    void CloseFromTray() {
        ASSERT_TRUE(app_.OpenTrayMenu());
        TypeKeyNoted(VK_UP);
        TypeKeyNoted(VK_RETURN);
        ASSERT_TRUE(PumpUntil([&] { return !TopLevelWindows(app_.Pid(), L"TMessageForm").empty(); }, 3000));
        HWND yes = FindChild(TopLevelWindows(app_.Pid(), L"TMessageForm").front(), L"Button", L"&Yes");
        ASSERT_TRUE(yes);
        SafeClickWindow(yes);
        ASSERT_EQ(app_.WaitExit(15000), 0u);
    }

    // The request lines the proxy saw, with the default port that Wine writes taken out.
    std::vector<std::string> Requests() const {
        std::vector<std::string> lines = proxy_.RequestLines();
        for (auto& line : lines)
            if (const auto at = line.find(kHost + ":80/"); at != std::string::npos) line.erase(at + kHost.size(), 3);
        return lines;
    }
    // The "start" report's request line for the settings part of its query.
    static std::string StartRequest(const std::string& settings, const std::string& date) {
        return "GET http://" + kHost + "/ping/start/?version=" QUORLIN_VERSION_TEXT "&" + settings + "&date=" + date +
               " HTTP/1.1";
    }
    void ExpectOneStartReport(const std::string& settings) {
        const std::string before = Today();
        StartAgain();
        ASSERT_TRUE(PumpUntil([&] { return !Requests().empty(); }, 5000)) << "no report arrived";
        PumpFor(1500);  // the report's wait is over, and nothing else follows
        const std::vector<std::string> seen = Requests();
        ASSERT_EQ(seen.size(), 1u);
        const std::string after = Today();
        EXPECT_TRUE(seen[0] == StartRequest(settings, before) || seen[0] == StartRequest(settings, after)) << seen[0];
    }

    LoopbackHttpServer proxy_;
    QuorlinProcess app_;
};

TEST_F(OnlineEndToEnd, TickSendsStartOnceAndStopSoonAfterIsDropped) {
    StartApp();
    ExpectOneStartReport("auto=On&tips=On&block=On&delay=500&also=On&beep=On&count=0&sht1=Ctrl+F9");
    CloseFromTray();
    EXPECT_EQ(Requests().size(), 1u) << "stop within 30 minutes of start is dropped";
}

TEST_F(OnlineEndToEnd, SettingsGoIntoTheQueryAndTheTouchpadShortcutFollowsItsCheckBox) {
    for (const wchar_t* name : {L"AutoRun", L"Balloons", L"BlockerEnabled", L"BlockEvents", L"BeepOnClick",
                                L"BlockerSwitch"})
        WriteDword(name, 0);
    WriteDword(L"Delay", 750);
    WriteDword(L"BlockCount", 5);
    WriteDword(L"TouchpadSwitch", 1);
    StartApp();
    ExpectOneStartReport("auto=Off&tips=Off&block=Off&delay=750&also=Off&beep=Off&count=5&sht2=Ctrl+Alt+F9");
}

TEST_F(OnlineEndToEnd, WithOnlineFeaturesOffNothingLeavesButTheThrottleStillAdvances) {
    WriteDword(L"Internet", 0);
    StartApp();
    StartAgain();
    PumpFor(2000);
    EXPECT_TRUE(Requests().empty());
    // Switched on now: had the tick not counted as a report, "stop" would go out on closing.
    HWND online = FindCheckBox(app_.Window(), kOnline);
    ASSERT_TRUE(online);
    SafeClickWindow(online);
    ASSERT_TRUE(PumpUntil([&] { return IsChecked(online); }, 2000));
    CloseFromTray();
    EXPECT_TRUE(Requests().empty()) << Requests().front();
}

TEST_F(OnlineEndToEnd, WebsiteLinkOpensTheSiteWithTheVersionAndTheOnlineState) {
    const std::wstring record = TempFile(L"urls");
    ASSERT_TRUE(SetEnvironmentVariableW(L"QUORLIN_URL_RECORD", record.c_str()));
    ASSERT_TRUE(RegisterUrlHandler(HKEY_LOCAL_MACHINE, L"http", L"\"" + ExeDir() + L"\\urlrecorder.exe\" \"%1\""));
    StartApp();
    std::wstring caption(kHost.begin(), kHost.end());
    CharUpperW(caption.data());
    HWND link = FindChild(app_.Window(), L"Static", caption);
    ASSERT_TRUE(link) << "the link shows the website's host in capitals";

    // Clicks that carry their position: the pointer may still rest elsewhere.
    RECT r{};
    GetWindowRect(link, &r);
    const auto clickLink = [&] {
        WaitAfterKeys(650);
        Click(r.left + 6, (r.top + r.bottom) / 2);
    };
    const std::string site = "http://" + kHost + "/?version=" QUORLIN_VERSION_TEXT;
    clickLink();
    EXPECT_TRUE(PumpUntil([&] { return ReadFileText(record) == site + "&ping=On\n"; }, 15000)) << ReadFileText(record);
    SafeClickWindow(FindCheckBox(app_.Window(), kOnline));
    ASSERT_TRUE(PumpUntil([&] { return !IsChecked(FindCheckBox(app_.Window(), kOnline)); }, 2000));
    clickLink();
    EXPECT_TRUE(PumpUntil([&] { return ReadFileText(record) == site + "&ping=On\n" + site + "&ping=Off\n"; }, 15000))
        << ReadFileText(record);
}

TEST_F(OnlineEndToEnd, InputIsNotHeldUpWhileAReportWaitsForASilentServer) {
    proxy_.SetResponder([](const std::string&) {
        HttpReply r;
        r.never = true;
        return r;
    });
    StartApp();
    RecordingWindow target(20, 20, 200, 150);  // where the pointer rests, away from Quorlin's window
    const POINT c = target.Center();
    MoveTo(c.x, c.y);
    MouseButton(MOUSEEVENTF_MOVE);  // the first SendInput of a process is slow
    StartAgain();                   // its tick's report now waits up to 10 s for an answer
    ASSERT_TRUE(PumpUntil([&] { return !Requests().empty(); }, 5000)) << "no report went out";
    const DWORD waitBegan = GetTickCount();

    // Zero-length moves pass Quorlin's mouse hook; SendInput returns once the hooks have answered.
    LARGE_INTEGER perSecond, before, after;
    QueryPerformanceFrequency(&perSecond);
    std::vector<double> ms;
    for (int i = 0; i < 41; ++i) {
        QueryPerformanceCounter(&before);
        MouseButton(MOUSEEVENTF_MOVE);
        QueryPerformanceCounter(&after);
        ms.push_back(1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(perSecond.QuadPart));
    }
    std::sort(ms.begin(), ms.end());
    // A hook that waits for the report's pump takes tens of milliseconds per event.
    EXPECT_LT(ms[ms.size() / 2], 10.0) << "median ms per injected move; slowest " << ms.back();

    // The hooks are live meanwhile: a press just after a key is swallowed, and the window counts it.
    const HWND counter = FindChildStartingWith(app_.Window(), L"Static", L"Clicks blocked:");
    ASSERT_TRUE(counter);
    TypeKey('A');
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    MouseButton(MOUSEEVENTF_LEFTUP);
    EXPECT_TRUE(PumpUntil([&] { return TextOf(counter) == L"Clicks blocked: 1"; }, 3000)) << TextOf(counter).size();
    EXPECT_LT(GetTickCount() - waitBegan, 9000u) << "the report was no longer waiting";
}

}  // namespace
