// The report transport over the real WinHTTP against a loopback server this test runs: what goes
// on the wire, how each kind of answer ends the wait, and that the thread keeps serving its
// messages and input hooks while it waits.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "LoopbackHttp.h"
#include "TestSupport.h"
#include "blocker/BlockingRule.h"
#include "blocker/InputHooks_win.h"
#include "online/Kelvane_win.h"
#include "shell/Application_win.h"

using namespace quorlin;
using namespace testsupport;

namespace {

// Notes what each wait saw: the browsers that existed as it began and the error it ended with.
class RecordingKelvane : public TKelvane {
public:
    std::vector<std::size_t> browsersAtWait;
    std::vector<std::int32_t> errors;
    bool WaitForBrowser(TKelvaneBrowser* browser) override {
        browsersAtWait.push_back(Browsers().size());
        const bool ok = TKelvane::WaitForBrowser(browser);
        errors.push_back(browser->ErrorStatus());
        return ok;
    }
};

class Kelvane : public ::testing::Test {
protected:
    void SetUp() override {
        _putenv("http_proxy=");  // straight to the loopback server, whatever the caller's setting
        kelvane_.URL = server_.Address() + "/ping";
    }
    LoopbackHttpServer server_;
    RecordingKelvane kelvane_;
};

TEST_F(Kelvane, SuccessSendsExactlyTheAddressWithoutCacheAndSettlesOneSecond) {
    server_.SetResponder([](const std::string&) {
        HttpReply r;
        r.delayMs = 300;
        r.body = "<html><script>location='https://elsewhere/'</script></html>";
        return r;
    });
    const bool ok = kelvane_.SendDefault("start", "sht=Ctrl+Alt+F9&t=a b\xC3\xA9%41");
    const DWORD returned = GetTickCount();
    ASSERT_TRUE(ok) << "error " << (kelvane_.errors.empty() ? 0 : kelvane_.errors.back());

    const auto seen = server_.Requests();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].line, "GET /ping/start/?sht=Ctrl+Alt+F9&t=a%20b%C3%A9%41 HTTP/1.1");
    EXPECT_NE(seen[0].head.find("Cache-Control: no-cache"), std::string::npos) << seen[0].head;
    ASSERT_NE(seen[0].answeredTick, 0u);
    EXPECT_GE(returned - seen[0].answeredTick, 1000u) << "messages are processed a second after the load";
    // Not a second more: the answer's way back through WinHTTP and the wait's own steps come on
    // top of the settling second, and took up to 509 ms with both cores busy.
    EXPECT_LT(returned - seen[0].answeredTick, 2000u);
    EXPECT_TRUE(kelvane_.Browsers().empty());
}

TEST_F(Kelvane, ErrorsEndTheWaitAtOnceWithoutSettling) {
    server_.SetResponder([&](const std::string& line) {
        HttpReply r;
        if (line.find("/gone/") != std::string::npos) r.status = 404;
        if (line.find("/moved/") != std::string::npos) {
            r.status = 302;
            r.headers = "Location: https://127.0.0.1:" + std::to_string(server_.Port()) + "/ping/secure/\r\n";
        }
        return r;
    });
    DWORD start = GetTickCount();
    EXPECT_FALSE(kelvane_.SendDefault("gone", ""));
    EXPECT_LT(GetTickCount() - start, 1000u) << "no settling after an error";
    EXPECT_EQ(kelvane_.errors.back(), 404);

    // Nobody listens on a port whose server is gone: WinHTTP's error ends it.
    std::string closed;
    {
        LoopbackHttpServer gone;
        closed = gone.Address();
    }
    RecordingKelvane unreachable;
    unreachable.URL = closed;
    start = GetTickCount();
    EXPECT_FALSE(unreachable.SendDefault("x", ""));
    EXPECT_LT(GetTickCount() - start, 1000u);
    EXPECT_EQ(unreachable.errors.back(), 12029);  // ERROR_WINHTTP_CANNOT_CONNECT

    // A redirect, here to another scheme, is not followed: the first answer ends the report.
    EXPECT_TRUE(kelvane_.SendRequest("moved", "", 0, 10000));
    EXPECT_EQ(server_.RequestLines(),
              (std::vector<std::string>{"GET /ping/gone/ HTTP/1.1", "GET /ping/moved/ HTTP/1.1"}));
    EXPECT_TRUE(kelvane_.Browsers().empty());
    EXPECT_TRUE(unreachable.Browsers().empty());
}

TEST_F(Kelvane, JunkAndLateAnswersEndTheWaitAndLeaveTheNextReportAlone) {
    server_.SetResponder([](const std::string& line) {
        HttpReply r;
        if (line.find("/junk/") != std::string::npos) {
            r.raw = true;
            r.body = std::string("\x16\x03\x01\x00\xff\x00 <script>alert(1)</script>\r\n\r\n", 40);
        }
        if (line.find("/late/") != std::string::npos) r.delayMs = 11000;
        return r;
    });
    DWORD start = GetTickCount();
    EXPECT_FALSE(kelvane_.SendDefault("junk", ""));
    EXPECT_LT(GetTickCount() - start, 1000u) << "no settling after junk";

    // Answered a second after the limit: the wait has ended by then, and the answer reaches a
    // request that is closed while the next report runs.
    start = GetTickCount();
    EXPECT_FALSE(kelvane_.SendDefault("late", ""));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 10000u);
    EXPECT_LE(took, 11000u);
    EXPECT_TRUE(kelvane_.SendDefault("next", ""));
    EXPECT_EQ(kelvane_.errors.back(), 0);
    EXPECT_EQ(server_.Requests().size(), 3u);
    EXPECT_TRUE(kelvane_.Browsers().empty());
}

TEST_F(Kelvane, QuitTakenInTheWaitEndsItAtOnceAndIsPutBack) {
    server_.SetResponder([](const std::string&) {
        HttpReply r;
        r.never = true;
        return r;
    });
    PostQuitMessage(7);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(kelvane_.SendDefault("quit", ""));
    EXPECT_LT(GetTickCount() - start, 1000u);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "the loop outside must see it";
    EXPECT_EQ(msg.wParam, 7u);
    EXPECT_TRUE(kelvane_.Browsers().empty());
}

TEST_F(Kelvane, ReportStartedInsideAnotherWaitFinishesFirst) {
    server_.SetResponder([](const std::string& line) {
        HttpReply r;
        if (line.find("/outer/") != std::string::npos) r.delayMs = 1500;
        return r;
    });
    constexpr UINT kStartInner = WM_APP + 7;
    std::vector<std::string> order;
    kelvane_.MessagePump = [&] {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.hwnd == nullptr && msg.message == kStartInner) {
                order.push_back("inner starts");
                kelvane_.Send("inner", "n=2");
                order.push_back("inner done");
            }
            DispatchMessageW(&msg);
        }
        return true;
    };
    PostThreadMessageW(GetCurrentThreadId(), kStartInner, 0, 0);
    EXPECT_TRUE(kelvane_.SendDefault("outer", "n=1"));
    order.push_back("outer done");

    EXPECT_EQ(order, (std::vector<std::string>{"inner starts", "inner done", "outer done"}));
    EXPECT_EQ(kelvane_.browsersAtWait, (std::vector<std::size_t>{1, 2})) << "each report has its own browser";
    EXPECT_EQ(kelvane_.errors, (std::vector<std::int32_t>{0, 0}));
    EXPECT_EQ(server_.Requests().size(), 2u);
    EXPECT_TRUE(kelvane_.Browsers().empty());
}

TEST_F(Kelvane, SilentServerEndsFalseAfterTheLimitWhileMessagesAndHooksAreServed) {
    server_.SetResponder([](const std::string&) {
        HttpReply r;
        r.never = true;
        return r;
    });
    // The program's set-up: the real hooks and the application's message hook, which the wait
    // reaches through the application's own pump.
    TApplication& app = TApplication::Instance();
    app.Initialize(GetModuleHandleW(nullptr));
    std::vector<WPARAM> blocked;
    app.OnMessage = [&](MSG& msg, bool& handled) {
        if (msg.message == WM_BLOCKED_EVENT) {
            blocked.push_back(msg.wParam);
            handled = true;
        }
    };
    kelvane_.MessagePump = [&app] {
        app.ProcessMessages();
        return !app.Terminated();
    };
    RecordingWindow target(300, 300, 200, 150);
    BlockerState.Reset();
    InstallHooks(target.hwnd());
    const POINT c = target.Center();
    MoveTo(c.x, c.y);
    PumpFor(300);

    // Another thread stands for another process: it sends to the window and types and clicks.
    std::atomic<DWORD> slowestAnswer{0};
    std::atomic<bool> sent{false};
    std::thread other([&] {
        Sleep(1500);
        for (int i = 0; i < 5; ++i) {
            const DWORD before = GetTickCount();
            DWORD_PTR result = 0;
            SendMessageTimeoutW(target.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
            const DWORD took = GetTickCount() - before;
            if (took > slowestAnswer) slowestAnswer = took;
            Sleep(130);
        }
        TypeKey('A');
        Sleep(100);
        MouseButton(MOUSEEVENTF_LEFTDOWN);
        MouseButton(MOUSEEVENTF_LEFTUP);
        sent = true;
    });

    const DWORD start = GetTickCount();
    const bool ok = kelvane_.SendDefault("wait", "");
    const DWORD took = GetTickCount() - start;
    other.join();
    PumpFor(200);
    UninstallHooks();
    app.OnMessage = nullptr;

    EXPECT_FALSE(ok);
    EXPECT_GE(took, 10000u);
    EXPECT_LE(took, 11000u);
    ASSERT_TRUE(sent);
    EXPECT_LE(slowestAnswer.load(), 200u) << "a message sent to the window waited too long";
    EXPECT_TRUE(target.Received(WM_LBUTTONUP)) << "the click went elsewhere";
    EXPECT_FALSE(target.Received(WM_LBUTTONDOWN)) << "the press after the key should have been swallowed";
    EXPECT_EQ(blocked, std::vector<WPARAM>{WM_LBUTTONDOWN}) << "the message hook sees what the hooks post";
    EXPECT_TRUE(kelvane_.Browsers().empty());
}

// The proxy settings as the system keeps them: the machine's WinHTTP setting and the user's own
// connection setting, each a small binary record with the proxy's address.
void WriteProxyRecord(HKEY root, const wchar_t* value, DWORD magic, const std::string& proxy) {
    std::string record;
    auto dword = [&](DWORD v) { record.append(reinterpret_cast<const char*>(&v), sizeof v); };
    dword(magic);
    dword(0);
    dword(proxy.empty() ? 1 : 3);  // direct, or direct and a named proxy
    dword(static_cast<DWORD>(proxy.size()));
    record += proxy;
    for (int i = 0; i < 8; ++i) dword(0);  // no bypass list, no configuration script
    UniqueKey key;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExW(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections", 0,
                              nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr));
    ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.get(), value, 0, REG_BINARY, reinterpret_cast<const BYTE*>(record.data()),
                                            static_cast<DWORD>(record.size())));
}

// Wine writes the absolute address with the default port; Windows leaves it out.
std::vector<std::string> WithoutDefaultPort(std::vector<std::string> lines) {
    for (auto& line : lines)
        if (const auto at = line.find(":80/"); at != std::string::npos) line.erase(at, 3);
    return lines;
}

TEST_F(Kelvane, ProxyFromTheMachineSettingElseFromTheUsersOwn) {
    LoopbackHttpServer userProxy, machineProxy;
    const auto port = [](const LoopbackHttpServer& s) { return "127.0.0.1:" + std::to_string(s.Port()); };
    kelvane_.URL = "http://reports.invalid/ping/";  // reachable through a proxy only

    WriteProxyRecord(HKEY_CURRENT_USER, L"DefaultConnectionSettings", 0x46, port(userProxy));
    EXPECT_TRUE(kelvane_.SendRequest("user", "a=1", 0, 10000)) << kelvane_.errors.back();
    WriteProxyRecord(HKEY_LOCAL_MACHINE, L"WinHttpSettings", 0x18, port(machineProxy));
    EXPECT_TRUE(kelvane_.SendRequest("machine", "", 0, 10000)) << kelvane_.errors.back();
    WriteProxyRecord(HKEY_LOCAL_MACHINE, L"WinHttpSettings", 0x18, "");
    WriteProxyRecord(HKEY_CURRENT_USER, L"DefaultConnectionSettings", 0x46, "");

    EXPECT_EQ(WithoutDefaultPort(userProxy.RequestLines()),
              std::vector<std::string>{"GET http://reports.invalid/ping/user/?a=1 HTTP/1.1"});
    EXPECT_EQ(WithoutDefaultPort(machineProxy.RequestLines()),
              std::vector<std::string>{"GET http://reports.invalid/ping/machine/ HTTP/1.1"});
}

}  // namespace
