// Random input against the real Quorlin.exe for a long time: keys, presses, moves, wheel turns,
// both shortcuts, tray clicks, and the settings window, the About window and the close question
// opened and closed. Every press aims at a window of this program, so whether it arrived is known
// and the program's blocked-click count can be checked against it. Every tenth of the run the
// program's handles, windows, GDI and USER objects and private memory are recorded.
//
// Usage: soak.exe EVENTS [SEED]. Prints one line per checkpoint and a summary; the exit code is 0
// only when the program never died, its count agrees and its resources stayed flat from the first
// checkpoint after the start to the last.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <utility>

#include "QuorlinProcess.h"
#include "TestSupport.h"
#include "TrayProbe.h"

using namespace testsupport;

namespace {

struct Usage {
    int handles = 0, windows = 0;
    DWORD gdi = 0, user = 0;
    SIZE_T privateBytes = 0;
};

struct WindowCount {
    DWORD pid;
    int n;
};
BOOL CALLBACK CountChild(HWND, LPARAM lp) {
    ++reinterpret_cast<WindowCount*>(lp)->n;
    return TRUE;
}
BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM lp) {
    auto* c = reinterpret_cast<WindowCount*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == c->pid) {
        ++c->n;
        EnumChildWindows(hwnd, CountChild, lp);
    }
    return TRUE;
}

// Wine's handle count and GUI resource counts read 0, so the handles are counted by duplicating
// each possible one, the windows by enumeration and the private memory from the address space.
Usage Measure(const QuorlinProcess& app, HANDLE process) {
    Usage u;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
        HANDLE copy = nullptr;
        if (DuplicateHandle(process, reinterpret_cast<HANDLE>(value), GetCurrentProcess(), &copy, 0, FALSE,
                            DUPLICATE_SAME_ACCESS)) {
            ++u.handles;
            CloseHandle(copy);
        }
    }
    WindowCount count{app.Pid(), 0};
    EnumWindows(CountTopLevel, reinterpret_cast<LPARAM>(&count));
    u.windows = count.n;
    u.gdi = GetGuiResources(process, GR_GDIOBJECTS);
    u.user = GetGuiResources(process, GR_USEROBJECTS);
    MEMORY_BASIC_INFORMATION mbi{};
    for (auto* at = static_cast<char*>(nullptr); VirtualQueryEx(process, at, &mbi, sizeof mbi) == sizeof mbi;
         at = static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) u.privateBytes += mbi.RegionSize;
        if (static_cast<char*>(mbi.BaseAddress) + mbi.RegionSize < at) break;
    }
    return u;
}

// The presses that got past the program's hooks, seen by a low-level mouse hook of this driver
// on a thread of its own. It is installed before the program starts, so the program's hooks
// (installed, and put back, later) run first: a press the program swallows never reaches it.
// Whether a press arrived at the target says less: a window over it takes it too.
class PassedPresses {
public:
    PassedPresses() {
        thread_.reset(CreateThread(nullptr, 0, Run, nullptr, 0, &threadId_));
        while (!ready_.load()) Sleep(1);
    }
    ~PassedPresses() {
        PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
        WaitForSingleObject(thread_.get(), INFINITE);
    }
    bool Installed() const { return installed_.load(); }
    long Count() const { return count_.load(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wp, LPARAM lp) {
        if (code == HC_ACTION && (wp == WM_LBUTTONDOWN || wp == WM_RBUTTONDOWN || wp == WM_MBUTTONDOWN)) ++count_;
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    static DWORD WINAPI Run(void*) {
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue, for the quit message
        HHOOK hook = SetWindowsHookExW(WH_MOUSE_LL, Hook, GetModuleHandleW(nullptr), 0);
        installed_ = hook != nullptr;
        ready_ = true;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
        if (hook) UnhookWindowsHookEx(hook);
        return 0;
    }
    static inline std::atomic<long> count_{0};
    static inline std::atomic<bool> ready_{false}, installed_{false};
    quorlin::UniqueHandle thread_;
    DWORD threadId_ = 0;
};

class Soak {
public:
    explicit Soak(unsigned seed) : rng_(seed), target_(20, 20, 320, 220, L"Soak target") {}

    bool Start() {
        DeleteSettingsKey();
        // No balloons over the icon, no reports to a host that is not there, the second shortcut
        // registered, no beeps.
        WriteDword(L"Balloons", 0);
        WriteDword(L"Internet", 0);
        WriteDword(L"TouchpadSwitch", 1);
        WriteDword(L"BeepOnClick", 0);
        if (!passed_.Installed()) return std::printf("start failed: the driver's mouse hook\n"), false;
        if (!app_.Start()) return std::printf("start failed: %s\n", app_.Problem().c_str()), false;
        process_.reset(OpenProcess(PROCESS_ALL_ACCESS, FALSE, app_.Pid()));
        HideSettings();
        return true;
    }

    // One random event; false when the program is gone.
    bool Step() {
        const unsigned r = rng_() % 1000;
        if (r < 400) Key();
        else if (r < 650) Press();
        else if (r < 850) MoveTo(Random(0, 1279), Random(0, 980));
        else if (r < 950) Wheel(rng_() % 2 ? 120 : -120);
        else if (r < 970) Shortcut({VK_CONTROL});
        else if (r < 990) Shortcut({VK_CONTROL, VK_MENU});
        else Window(rng_() % 5);
        return app_.Running();
    }

    Usage Sample() const { return Measure(app_, process_.get()); }
    int Blocked() const { return blocked_; }
    int Presses() const { return presses_; }
    // What went wrong in the driver's own steps since the last call (a window that did not
    // show in time); such a step is noted and the run goes on.
    std::string TakeTrouble() { return std::exchange(trouble_, {}); }
    // Ends the program as the session's end does and reads the count it saved.
    DWORD StopAndReadCount() {
        app_.Stop();
        return ReadDword(L"BlockCount").value_or(0xFFFFFFFF);
    }

private:
    int Random(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<unsigned>(hi - lo + 1)); }

    void Front() {
        if (GetForegroundWindow() == target_.hwnd()) return;
        SetForegroundWindow(target_.hwnd());
        PumpUntil([&] { return GetForegroundWindow() == target_.hwnd(); }, 500);
    }
    void Key() {
        Front();
        TypeKeyNoted(static_cast<WORD>(Random(0, 1) ? Random('A', 'Z') : Random('0', '9')));
        PumpFor(Random(0, 3) == 0 ? Random(1, 40) : 0);
    }
    // A press and release at the target; the release always arrives, so once it is there the
    // press either arrived before it or was swallowed.
    void Press() {
        static constexpr DWORD kButtons[3][2] = {{MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP},
                                                 {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP},
                                                 {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP}};
        static constexpr UINT kMessages[3][2] = {{WM_LBUTTONDOWN, WM_LBUTTONUP}, {WM_RBUTTONDOWN, WM_RBUTTONUP},
                                                 {WM_MBUTTONDOWN, WM_MBUTTONUP}};
        const int b = Random(0, 9) < 8 ? 0 : Random(1, 2);
        RECT r{};
        GetWindowRect(target_.hwnd(), &r);
        // Put there directly: a move while typing is itself swallowed and leaves the pointer where
        // it was, and the press would land elsewhere.
        const POINT at{Random(r.left + 5, r.right - 5), Random(r.top + 5, r.bottom - 5)};
        SetCursorPos(at.x, at.y);
        // A menu left open takes the press for itself, and a window over the target receives it:
        // neither press says anything about the blocker.
        if (VisibleMenu()) TypeKeyNoted(VK_ESCAPE);
        if (!PumpUntil([&] { return !VisibleMenu() && WindowFromPoint(at) == target_.hwnd(); }, 1000)) {
            trouble_ = "the target was covered";
            return;
        }
        target_.Clear();
        const long passedBefore = passed_.Count();
        MouseButton(kButtons[b][0]);
        MouseButton(kButtons[b][1]);
        ++presses_;
        if (!PumpUntil([&] { return target_.Received(kMessages[b][1]); }, 3000)) {
            trouble_ = "a release never reached the target";
            --presses_;
            return;
        }
        // The release passed every hook, so the press's way through them is settled.
        const bool swallowed = passed_.Count() == passedBefore;
        if (swallowed) ++blocked_;
        if (!swallowed && !target_.Received(kMessages[b][0])) trouble_ = "a press got past the hooks but not to the target";
        if (swallowed && target_.Received(kMessages[b][0])) trouble_ = "a press reached the target without passing the hooks";
    }
    void Shortcut(std::initializer_list<WORD> modifiers) {
        for (WORD m : modifiers) SendKey(m, false);
        TypeKeyNoted(VK_F9);
        for (WORD m : modifiers) SendKey(m, true);
        PumpFor(20);
    }
    void HideSettings() {
        if (!app_.Visible()) return;
        SetForegroundWindow(app_.Window());
        PumpUntil([&] { return GetForegroundWindow() == app_.Window(); }, 1000);
        TypeKeyNoted(VK_ESCAPE);
        PumpUntil([&] { return !app_.Visible(); }, 3000);
    }
    // Chooses a tray menu item with the arrow keys: downs from the top, or up for the last.
    bool Menu(int downs) {
        if (!app_.OpenTrayMenu()) return false;
        if (downs == 0) TypeKeyNoted(VK_UP);
        for (int i = 0; i < downs; ++i) TypeKeyNoted(VK_DOWN);
        TypeKeyNoted(VK_RETURN);
        return true;
    }
    void Window(unsigned what) {
        const POINT icon = app_.TrayIconCenter();
        switch (what) {
        case 0:  // a left click on the icon, which does nothing, and the menu opened and left
            SafeClick(icon.x, icon.y);
            if (app_.OpenTrayMenu()) TypeKeyNoted(VK_ESCAPE);
            break;
        case 1:  // Alt+click shows the settings window; Esc hides it
        case 2: {  // so does the menu's Settings item
            bool shown = false;
            if (what == 1) {
                WaitAfterKeys(650);
                // Alt is held, as a hand holds it, until the click has been handled.
                SendKey(VK_MENU, false);
                SafeClick(icon.x, icon.y);
                shown = PumpUntil([&] { return app_.Visible(); }, 3000);
                TypeKeyNoted(VK_CONTROL);  // so that letting go of Alt does not open a window's menu
                SendKey(VK_MENU, true);
            } else {
                Menu(2);
                shown = PumpUntil([&] { return app_.Visible(); }, 3000);
            }
            if (!shown) trouble_ = what == 1 ? "Alt+click did not show the settings window" : "the Settings item did not show the settings window";
            HideSettings();
            break;
        }
        case 3: {  // About, closed with Enter
            Menu(3);
            HWND about = nullptr;
            PumpUntil([&] {
                const auto w = TopLevelWindows(app_.Pid(), L"TfrmAbout");
                about = w.empty() ? nullptr : w.front();
                return about != nullptr;
            }, 3000);
            if (!about) { trouble_ = "About did not open"; break; }
            SetForegroundWindow(about);
            PumpUntil([&] { return GetForegroundWindow() == about; }, 1000);
            TypeKeyNoted(VK_RETURN);
            if (!PumpUntil([&] { return !IsWindow(about); }, 3000)) trouble_ = "About did not close";
            break;
        }
        default: {  // the close question, answered No
            Menu(0);
            HWND question = nullptr;
            PumpUntil([&] {
                const auto w = TopLevelWindows(app_.Pid(), L"TMessageForm");
                question = w.empty() ? nullptr : w.front();
                return question != nullptr;
            }, 3000);
            if (!question) { trouble_ = "the close question did not open"; break; }
            SetForegroundWindow(question);
            PumpUntil([&] { return GetForegroundWindow() == question; }, 1000);
            TypeKeyNoted('N');
            if (!PumpUntil([&] { return !IsWindow(question); }, 3000)) trouble_ = "the close question stayed";
            break;
        }
        }
        if (VisibleMenu()) TypeKeyNoted(VK_ESCAPE);
    }

    std::mt19937 rng_;
    QuorlinProcess app_;
    quorlin::UniqueHandle process_;
    PassedPresses passed_;  // before the program starts: see PassedPresses
    RecordingWindow target_;
    int presses_ = 0, blocked_ = 0;
    std::string trouble_;
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const long events = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 1000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::wcstoul(argv[2], nullptr, 10)) : 1;
    const long every = events >= 10 ? events / 10 : 1;
    Soak soak(seed);
    if (!soak.Start()) return 2;

    const DWORD begin = GetTickCount();
    Usage first, last;
    auto report = [&](long done) {
        const Usage u = soak.Sample();
        if (done == every) first = u;
        last = u;
        std::printf("checkpoint %ld events %lu s handles %d windows %d gdi %lu user %lu private_kb %lu presses %d blocked %d\n",
                    done, (GetTickCount() - begin) / 1000, u.handles, u.windows, u.gdi, u.user,
                    static_cast<unsigned long>(u.privateBytes / 1024), soak.Presses(), soak.Blocked());
        std::fflush(stdout);
    };
    report(0);
    long done = 0;
    bool alive = true;
    while (done < events && alive) {
        alive = soak.Step();
        ++done;
        if (done % every == 0) report(done);
        if (const std::string t = soak.TakeTrouble(); !t.empty()) std::printf("note at %ld: %s\n", done, t.c_str());
    }
    WaitAfterKeys(650);
    const DWORD count = alive ? soak.StopAndReadCount() : 0xFFFFFFFF;
    // A leak of one object per event would pass these margins only in a run of a few events.
    const bool flat = last.handles <= first.handles + 4 && last.windows <= first.windows + 2 &&
                      last.privateBytes <= first.privateBytes + 1024 * 1024;
    std::printf("summary events %ld seconds %lu alive %d presses %d blocked %d saved_count %lu flat %d\n", done,
                (GetTickCount() - begin) / 1000, alive ? 1 : 0, soak.Presses(), soak.Blocked(),
                static_cast<unsigned long>(count), flat ? 1 : 0);
    return alive && flat && count == static_cast<DWORD>(soak.Blocked()) ? 0 : 1;
}
