// The decision the two hook procedures make for each input event, measured natively (make bench):
// DecideKey and DecideMouse (src/blocker/HookDecision.h) over a mix of events, in ns per event.
// Google Benchmark; the figures go into docs/PERFORMANCE.md through bench/run.py.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <random>

#include "blocker/HookDecision.h"

using namespace quorlin;

namespace {

constexpr std::size_t kEvents = 1024;  // a power of two: the index wraps with a mask

struct KeyEvent {
    std::uintptr_t message;
    std::uint32_t vk;
};

// Letters mostly, some modifiers and keys held with Alt, as typing gives them.
std::array<KeyEvent, kEvents> KeyEvents() {
    std::mt19937 random(11);
    std::array<KeyEvent, kEvents> events{};
    for (auto& e : events) {
        const unsigned kind = random() % 10;
        e.message = kind == 9 ? 0x104 /*WM_SYSKEYDOWN*/ : (random() % 2 ? rule::kKeyDown : rule::kKeyUp);
        e.vk = kind == 8 ? 160 + random() % 6 : 'A' + random() % 26;
    }
    return events;
}

// Moves mostly, a few presses and releases.
std::array<std::uintptr_t, kEvents> MouseEvents() {
    std::mt19937 random(13);
    constexpr std::uintptr_t kinds[] = {0x200, 0x200, 0x200, 0x200, 0x200, 0x200, 0x201, 0x202, 0x20A, 0x204};
    std::array<std::uintptr_t, kEvents> events{};
    for (auto& e : events) e = kinds[random() % 10];
    return events;
}

// options: 0 for the plain rule, 1 with the shortcut and held-key options on (the key sets are kept
// either way, as the hook keeps them).
void KeyboardDecision(benchmark::State& state) {
    const auto events = KeyEvents();
    const bool on = state.range(0) != 0;
    rule::KeyInputs in{.Now = 1000, .Smart = {on, on}};
    std::size_t i = 0;
    rule::KeyTime lastKey;
    for (auto _ : state) {
        const KeyEvent& e = events[i++ & (kEvents - 1)];
        in.Message = e.message, in.Vk = e.vk;
        benchmark::DoNotOptimize(in.Now);
        benchmark::DoNotOptimize(in.Paused);
        const rule::KeyDecision d = rule::DecideKey(in);
        in.Keys = d.Keys, in.Presses = d.Presses;
        if (d.Stamp) lastKey = in.Now;
        benchmark::DoNotOptimize(lastKey);
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// lastKeyAge: how long ago the last key was, in ms; 100 swallows the candidates, 900 passes all.
void MouseDecision(benchmark::State& state) {
    const auto events = MouseEvents();
    const auto lastKeyAge = static_cast<std::uint32_t>(state.range(0));
    std::size_t i = 0;
    rule::MouseInputs in{.Now = 5000, .LastKey = 5000 - lastKeyAge};
    long swallowed = 0;
    for (auto _ : state) {
        in.Message = events[i++ & (kEvents - 1)];
        benchmark::DoNotOptimize(in.Now);
        benchmark::DoNotOptimize(in.LastKey);
        swallowed += rule::DecideMouse(in).Block;
    }
    benchmark::DoNotOptimize(swallowed);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

// The loop alone, for the reader to see what the harness itself costs per event.
void EmptyLoop(benchmark::State& state) {
    const auto events = MouseEvents();
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(events[i++ & (kEvents - 1)]);
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()));
}

}  // namespace

BENCHMARK(KeyboardDecision)->Arg(0)->ArgName("options");
BENCHMARK(KeyboardDecision)->Arg(1)->ArgName("options");
BENCHMARK(MouseDecision)->Arg(900)->ArgName("passing_lastKeyAgeMs");
BENCHMARK(MouseDecision)->Arg(100)->ArgName("swallowing_lastKeyAgeMs");
BENCHMARK(EmptyLoop);
BENCHMARK_MAIN();
