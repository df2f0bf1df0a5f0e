// How long input of the whole desktop waits while Quorlin starts: injects zero-length pointer
// moves every millisecond from a second thread while Quorlin.exe (beside this program) starts,
// and times each SendInput, which returns only once every low-level hook has seen the event.
// Compares starts with the blocker on (hooks) and off (no hooks). Not a test: prints figures.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

#include "QuorlinProcess.h"

using namespace testsupport;

namespace {

double Ms(LONGLONG ticks) {
    static const LONGLONG frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f.QuadPart;
    }();
    return 1000.0 * static_cast<double>(ticks) / static_cast<double>(frequency);
}

LONGLONG Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

// The longest single SendInput during one start, from launch until settleMs after the tray icon.
double LongestDelayDuringStart(bool blockerOn, DWORD settleMs) {
    DeleteSettingsKey();
    WriteDword(L"BlockerEnabled", blockerOn ? 1 : 0);
    WriteDword(L"Visible", 1);
    std::atomic<bool> stop{false};
    LONGLONG longest = 0;
    std::thread injector([&] {
        INPUT move{};
        move.type = INPUT_MOUSE;
        move.mi.dwFlags = MOUSEEVENTF_MOVE;  // zero-length: the pointer stays where it is
        while (!stop) {
            const LONGLONG t0 = Now();
            SendInput(1, &move, sizeof move);
            longest = std::max(longest, Now() - t0);
            Sleep(1);
        }
    });
    Sleep(50);
    {
        QuorlinProcess quorlin;
        if (!quorlin.Start()) std::printf("start failed: %s\n", quorlin.Problem().c_str());
        PumpFor(settleMs);
        stop = true;
        injector.join();
        quorlin.Kill();
        quorlin.WaitExit(5000);
    }
    Sleep(300);
    return Ms(longest);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int runs = argc > 1 ? _wtoi(argv[1]) : 10;
    std::vector<double> on, off;
    LongestDelayDuringStart(true, 2000);  // warm-up: the first start of a prefix is cold
    for (int i = 0; i < runs; ++i) {
        on.push_back(LongestDelayDuringStart(true, 2000));
        off.push_back(LongestDelayDuringStart(false, 2000));
    }
    std::printf("longest input delay during start-up, %d starts each (ms)\n", runs);
    std::printf("  hooks on : median %.1f, worst %.1f\n", Median(on), *std::max_element(on.begin(), on.end()));
    std::printf("  hooks off: median %.1f, worst %.1f\n", Median(off), *std::max_element(off.begin(), off.end()));
    return 0;
}
