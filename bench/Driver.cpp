// The Windows half of `make bench` (bench/run.py is the other): starts the program under
// measurement as a fresh process, times its start-up, injects input with SendInput and stops it.
// It never installs a hook, so the CPU the hooks cost stays in the measured process. It reads one
// command per line on stdin and answers one line on stdout; run.py reads /proc around each one.
//
//   clear                      delete Quorlin's settings key
//   set NAME VALUE             write a DWORD into it (NAME "Sub\\Value": into its subkey Sub)
//   start EXE TIP [ARGS]       start EXE (beside this program), wait until its thread is idle and,
//                              unless TIP is "-", until a tray icon whose tip starts with TIP
//                              ("_" for a space) shows
//                              -> started PID IDLE_MS TRAY_MS
//   burst CYCLES MOVES         as fast as possible: CYCLES times a key press and release ('A')
//                              followed by MOVES zero-length relative moves -> done EVENTS MS
//   rate EVENTS_PER_S SECONDS POLL
//                              paced cycles of ten events (key press, release, left press, release,
//                              six moves); with POLL, after each press the settings window's
//                              counter is read until it has counted it
//                              -> done EVENTS MS PRESSES MAX_DELAY_MS MEDIAN_DELAY_MS
//   silent                     from now on, programs started get a loopback proxy that takes every
//                              request and never answers (http_proxy), and a stand-in browser
//                              (urlrecorder) for http addresses -> ok
//   double MS                  installs the touchpad driver double; each of its calls takes MS -> ok
//   latency SITUATION COUNT    brings Quorlin into SITUATION, then times COUNT zero-length moves,
//                              one every 5 ms, each from before SendInput to its return (which
//                              waits for the low-level hooks): idle; report (a second start makes
//                              it run its minutes tick, whose report waits for the silent proxy);
//                              link (a click on the settings window's website link); touchpad
//                              (its hotkey Ctrl+Alt+F9, with the driver double answering slowly)
//                              -> done COUNT MEDIAN_MS MAX_MS P90_MS
//   stop                       close the program's windows (Quorlin: as at the end of the session),
//                              kill it after 5 s -> stopped EXIT_CODE
//   quit
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "LoopbackHttp.h"
#include "QuorlinProcess.h"
#include "SynapticsDouble.h"
#include "TrayProbe.h"
#include "version.h"

using namespace testsupport;

namespace {

double NowMs() {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return static_cast<double>(t.QuadPart) / perMs;
}

void Answer(const std::string& line) {
    std::fputs((line + "\n").c_str(), stdout);
    std::fflush(stdout);
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

// A small window of the driver's own in front, so the injected keys land here and not in the
// program under measurement (whose CPU time would then include handling them).
class KeySink {
public:
    KeySink() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QuorlinBenchSink";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(0, wc.lpszClassName, L"bench", WS_OVERLAPPED | WS_VISIBLE, 10, 10, 120, 60, nullptr,
                                nullptr, wc.hInstance, nullptr);
    }
    void Front() {
        SetForegroundWindow(hwnd_);
        Drain();
    }
    // Keeps the driver's queue short while it injects.
    void Drain() {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
    }

private:
    HWND hwnd_ = nullptr;
};

struct Running {
    Process process;
    std::wstring exe;
};

INPUT Key(WORD vk, bool up) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return in;
}

INPUT Mouse(DWORD flags) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dwFlags = flags;  // MOUSEEVENTF_MOVE with dx = dy = 0: the pointer stays where it is
    return in;
}

void Send(INPUT in) { SendInput(1, &in, sizeof in); }

struct WindowOfProcess {
    DWORD pid;
    HWND found = nullptr;
};

BOOL CALLBACK MatchMainWindow(HWND hwnd, LPARAM lp) {
    auto& search = *reinterpret_cast<WindowOfProcess*>(lp);
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (owner != search.pid || lstrcmpW(cls, L"TfrmMain") != 0) return TRUE;
    search.found = hwnd;
    return FALSE;
}

// Quorlin's main window, also while hidden.
HWND MainWindowOf(DWORD pid) {
    WindowOfProcess search{pid};
    EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The number the settings window's counter shows; -1 when it cannot be read.
int CounterValue(HWND label) {
    wchar_t text[128] = {};
    DWORD_PTR got = 0;
    if (!SendMessageTimeoutW(label, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &got))
        return -1;
    const wchar_t* digits = text;
    while (*digits && (*digits < L'0' || *digits > L'9')) ++digits;
    return *digits ? static_cast<int>(std::wcstol(digits, nullptr, 10)) : -1;
}

void StartCommand(Running& run, const std::string& exe, const std::string& tip, const std::string& args) {
    run.exe = Wide(exe);
    const double t0 = NowMs();
    run.process = Start(run.exe, Wide(args));
    if (!run.process.process) return Answer("failed cannot-start");
    const DWORD idle = WaitForInputIdle(run.process.process.get(), 20000);
    const double tIdle = NowMs();
    if (idle != 0) return Answer("failed not-idle");
    double tTray = tIdle;
    if (tip != "-") {
        std::wstring wanted = Wide(tip);
        std::replace(wanted.begin(), wanted.end(), L'_', L' ');  // one word on the command line
        bool shown = false;
        while (!shown && NowMs() - t0 < 20000) {
            for (const TrayTool& t : TrayTools())
                if (!IsRectEmpty(&t.rect) && t.text.rfind(wanted, 0) == 0) shown = true;
            if (!shown) Sleep(1);
        }
        tTray = NowMs();
        if (!shown) return Answer("failed no-tray-icon");
    }
    char line[128];
    std::snprintf(line, sizeof line, "started %lu %.2f %.2f", run.process.id, tIdle - t0, tTray - t0);
    Answer(line);
}

void BurstCommand(KeySink& sink, int cycles, int moves) {
    sink.Front();
    const double t0 = NowMs();
    long events = 0;
    for (int c = 0; c < cycles; ++c) {
        Send(Key('A', false));
        Send(Key('A', true));
        for (int m = 0; m < moves; ++m) Send(Mouse(MOUSEEVENTF_MOVE));
        events += 2 + moves;
        if (c % 64 == 63) sink.Drain();
    }
    sink.Drain();
    char line[96];
    std::snprintf(line, sizeof line, "done %ld %.2f", events, NowMs() - t0);
    Answer(line);
}

void RateCommand(KeySink& sink, const Running& run, double perSecond, double seconds, bool poll) {
    HWND label = nullptr;
    int counted = 0;
    if (poll) {
        if (HWND main = MainWindowOf(run.process.id)) label = FindChildStartingWith(main, L"Static", L"Clicks blocked");
        counted = label ? CounterValue(label) : -1;
        if (!label || counted < 0) return Answer("failed no-counter");
    }
    sink.Front();
    SetCursorPos(60, 600);  // over the desktop: the releases that pass land on nothing
    const INPUT cycle[10] = {Key('A', false),          Key('A', true),           Mouse(MOUSEEVENTF_LEFTDOWN),
                             Mouse(MOUSEEVENTF_LEFTUP), Mouse(MOUSEEVENTF_MOVE), Mouse(MOUSEEVENTF_MOVE),
                             Mouse(MOUSEEVENTF_MOVE),   Mouse(MOUSEEVENTF_MOVE), Mouse(MOUSEEVENTF_MOVE),
                             Mouse(MOUSEEVENTF_MOVE)};
    const long total = std::max(10L, static_cast<long>(perSecond * seconds) / 10 * 10);
    const double step = 1000.0 / perSecond;
    std::vector<double> delays;
    const double t0 = NowMs();
    for (long i = 0; i < total; ++i) {
        const double due = t0 + static_cast<double>(i) * step;
        for (double now = NowMs(); now < due; now = NowMs()) {
            const double wait = due - now;
            Sleep(wait >= 2.0 ? static_cast<DWORD>(wait - 1.0) : (wait >= 1.0 ? 1 : 0));
        }
        Send(cycle[i % 10]);
        if (poll && i % 10 == 2) {
            // The press was swallowed and its message posted; the counter moves once the loop took it.
            const double posted = NowMs();
            ++counted;
            int shown = CounterValue(label);
            while (shown >= 0 && shown < counted && NowMs() - posted < 5000) shown = CounterValue(label);
            delays.push_back(NowMs() - posted);
        }
        if (i % 100 == 99) sink.Drain();
    }
    const double elapsed = NowMs() - t0;
    sink.Drain();
    double maxDelay = 0, median = 0;
    if (!delays.empty()) {
        std::sort(delays.begin(), delays.end());
        maxDelay = delays.back();
        median = delays[delays.size() / 2];
    }
    char line[160];
    std::snprintf(line, sizeof line, "done %ld %.2f %zu %.3f %.3f", total, elapsed, delays.size(), maxDelay, median);
    Answer(line);
}

void SilentCommand(std::unique_ptr<LoopbackHttpServer>& server) {
    server = std::make_unique<LoopbackHttpServer>();
    server->SetResponder([](const std::string&) {
        HttpReply r;
        r.never = true;
        return r;
    });
    const std::wstring proxy = L"http://127.0.0.1:" + std::to_wstring(server->Port());
    SetEnvironmentVariableW(L"http_proxy", proxy.c_str());
    SetEnvironmentVariableW(L"QUORLIN_URL_RECORD", TempFile(L"bench-urls").c_str());
    RegisterUrlHandler(HKEY_LOCAL_MACHINE, L"http", L"\"" + ExeDir() + L"\\urlrecorder.exe\" \"%1\"");
    Answer("ok");
}

// Puts the running Quorlin into the situation; false when it cannot.
bool EnterSituation(const std::string& situation, const Running& run, const LoopbackHttpServer* server) {
    if (situation == "idle") return true;
    if (situation == "report") {
        if (!server) return false;
        const std::size_t before = server->Requests().size();
        QuorlinProcess second;
        second.Launch();
        second.WaitExit(10000);
        for (const double t0 = NowMs(); server->Requests().size() == before; Sleep(5))
            if (NowMs() - t0 > 10000) return false;
        return true;
    }
    if (situation == "link") {
        const HWND main = MainWindowOf(run.process.id);
        std::wstring caption = Wide(QUORLIN_WEBSITE_HOST);
        CharUpperW(caption.data());
        const HWND link = main ? FindChild(main, L"Static", caption) : nullptr;
        if (!link) return false;
        RECT r{};
        GetWindowRect(link, &r);
        Click(r.left + 6, (r.top + r.bottom) / 2);
        return true;
    }
    if (situation == "touchpad") {
        // Its hotkey is registered once start-up (slow with this driver) has settled.
        for (const double t0 = NowMs(); RegisterHotKey(nullptr, 0x5A5C, MOD_CONTROL | MOD_ALT, VK_F9); Sleep(20)) {
            UnregisterHotKey(nullptr, 0x5A5C);
            if (NowMs() - t0 > 20000) return false;
        }
        ClearSynapticsDoubleLog();
        for (const WORD vk : {WORD(VK_CONTROL), WORD(VK_MENU), WORD(VK_F9)}) Send(Key(vk, false));
        for (const WORD vk : {WORD(VK_F9), WORD(VK_MENU), WORD(VK_CONTROL)}) Send(Key(vk, true));
        // Measured from the first driver call on: the window thread is inside the driver then.
        for (const double t0 = NowMs(); SynapticsDoubleLog().empty(); Sleep(1))
            if (NowMs() - t0 > 5000) return false;
        return true;
    }
    return false;
}

void LatencyCommand(KeySink& sink, const Running& run, const LoopbackHttpServer* server, const std::string& situation,
                    int count) {
    if (!run.process.process || count <= 0) return Answer("failed not-running");
    if (situation == "link") SetForegroundWindow(MainWindowOf(run.process.id));
    else sink.Front();
    if (!EnterSituation(situation, run, server)) return Answer("failed " + situation);
    std::vector<double> ms;
    const double t0 = NowMs();
    for (int i = 0; i < count; ++i) {
        while (NowMs() < t0 + 5.0 * i) Sleep(1);
        const double before = NowMs();
        Send(Mouse(MOUSEEVENTF_MOVE));
        ms.push_back(NowMs() - before);
        if (i % 50 == 49) sink.Drain();
    }
    sink.Drain();
    if (situation == "touchpad") {
        // The switch must reach the driver, or the moves measured nothing but idle. The hotkey reads
        // the driver's state before it sets it, each call as slow as the double is told to be, so
        // the set may come after the last move.
        const auto switched = [] {
            for (const std::string& call : SynapticsDoubleLog())
                if (call.rfind("device.set", 0) == 0) return true;
            return false;
        };
        for (const double t1 = NowMs(); !switched(); Sleep(10))
            if (NowMs() - t1 > 10000) {
                std::string calls;
                for (const std::string& call : SynapticsDoubleLog()) calls += " " + call;
                return Answer("failed touchpad-not-switched" + calls);
            }
    }
    std::sort(ms.begin(), ms.end());
    char line[128];
    std::snprintf(line, sizeof line, "done %d %.3f %.3f %.3f", count, ms[ms.size() / 2], ms.back(),
                  ms[ms.size() * 9 / 10]);
    Answer(line);
}

BOOL CALLBACK CloseTopWindow(HWND hwnd, LPARAM pid) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    if (owner == static_cast<DWORD>(pid) && GetWindow(hwnd, GW_OWNER) == nullptr) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    return TRUE;
}

void StopCommand(Running& run) {
    if (!run.process.process) return Answer("stopped none");
    if (HWND main = MainWindowOf(run.process.id)) {
        // As at the end of the session: Quorlin saves, allows the close and removes its icon.
        DWORD_PTR answer = 0;
        SendMessageTimeoutW(main, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer);
        PostMessageW(main, WM_CLOSE, 0, 0);
    } else {
        EnumWindows(CloseTopWindow, static_cast<LPARAM>(run.process.id));
    }
    DWORD code = run.process.Wait(5000);
    if (code == STILL_ACTIVE) {
        run.process.Kill();
        code = run.process.Wait(5000);
    }
    run.process = Process{};
    Answer("stopped " + std::to_string(code));
}

}  // namespace

int wmain() {
    KeySink sink;
    Running run;
    std::unique_ptr<LoopbackHttpServer> server;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream in(line);
        std::string command;
        in >> command;
        if (command == "clear") {
            DeleteSettingsKey();
            Answer("ok");
        } else if (command == "set") {
            std::string name;
            unsigned long value = 0;
            in >> name >> value;
            std::wstring key(kQuorlinKey);
            if (const auto sep = name.find('\\'); sep != std::string::npos) {
                key += L"\\" + Wide(name.substr(0, sep));
                name.erase(0, sep + 1);
            }
            WriteDword(Wide(name).c_str(), static_cast<DWORD>(value), key.c_str());
            Answer("ok");
        } else if (command == "start") {
            std::string exe, tip, args;
            in >> exe >> tip;
            std::getline(in, args);
            if (!args.empty() && args.front() == ' ') args.erase(0, 1);
            StartCommand(run, exe, tip, args);
        } else if (command == "burst") {
            int cycles = 0, moves = 0;
            in >> cycles >> moves;
            BurstCommand(sink, cycles, moves);
        } else if (command == "rate") {
            double perSecond = 0, seconds = 0;
            int poll = 0;
            in >> perSecond >> seconds >> poll;
            RateCommand(sink, run, perSecond, seconds, poll != 0);
        } else if (command == "silent") {
            SilentCommand(server);
        } else if (command == "double") {
            DWORD delay = 0;
            in >> delay;
            const bool installed = !InstallSynapticsDouble().empty();
            SetSynapticsDouble(L"CallDelayMs", delay);
            Answer(installed ? "ok" : "failed no-double");
        } else if (command == "latency") {
            std::string situation;
            int count = 0;
            in >> situation >> count;
            LatencyCommand(sink, run, server.get(), situation, count);
        } else if (command == "stop") {
            StopCommand(run);
        } else if (command == "quit") {
            break;
        } else {
            Answer("error unknown command");
        }
    }
    StopCommand(run);
    return 0;
}
