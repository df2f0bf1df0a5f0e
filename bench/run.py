#!/usr/bin/env python3
"""Runs Quorlin's benchmarks and writes docs/PERFORMANCE.md (make bench).

Outside Wine it measures the executable sizes and the native hook decision, then runs itself
again inside scripts/wine-run.sh (one throwaway prefix and Xvfb display), with Xvfb, the
wineserver, the driver and every measured program pinned to one core by taskset. Inside, it
drives build/win/bench_Driver.exe (a Windows program that never hooks) one command at a time
and reads the measured programs' CPU time and memory from /proc around each command:

  start-up   time to the tray icon with the hooks active, and to the settings window painted on
             the first start, against a minimal tray program (bench_TrayRef), alternating
  memory     private (anonymous) and resident memory after start-up and after TrimWorkingSet
  hooks      CPU time of the hooking process per injected event, against do-nothing hooks
             (bench_NullHooks), block by block in fresh processes, corrected for drift by the
             driver's own CPU time per event
  scaling    cost per event and the longest delay of the blocked-event message at 10, 100 and
             1000 events per second
  latency    the time SendInput takes for a zero-length move (it returns once the low-level hooks
             have answered) while Quorlin is idle, while its report waits for a server that never
             answers, while it opens a link, and while the touchpad driver answers slowly
  soak       memory while input is injected without a pause (--soak SECONDS writes the curve
             to docs/perf/soak-SECONDS.csv, which the document shows)
  trace      where the start-up time goes (WINEDEBUG=+timestamp,+loaddll,+win)
  idle       wake-ups (context switches) and CPU time per minute with the window hidden, no input
             and the pointer parked away from every window, against the minimal tray program

Usage: bench/run.py [--rounds N] [--soak SECONDS] [--parts a,b,...] [--no-doc | --doc]
A run of all parts (make bench) writes the document; a run of some parts prints its results.
The ten-minute memory curve: bench/run.py --parts soak --soak 600
"""

import argparse
import datetime
import glob
import json
import os
import re
import select
import shlex
import statistics
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
WIN = os.path.join(ROOT, "build", "win")
NATIVE = os.path.join(ROOT, "build", "native")
DOC = os.path.join(ROOT, "docs", "PERFORMANCE.md")
PERF_DIR = os.path.join(ROOT, "docs", "perf")
ALL_PARTS = ["startup", "hooks", "scaling", "latency", "soak", "trace", "inputdelay", "idle"]

# The three options of the smart blocking; a build without them ignores the values.
SMART_OPTIONS = ["PauseFullScreen", "IgnoreShortcutKeys", "IgnoreHeldKeys"]

SIZE_LIMIT = 512 * 1024


# ---------------------------------------------------------------- small statistics


def median(values):
    return statistics.median(values) if values else float("nan")


def summary(values):
    """Median and range, the way the document shows them."""
    return {"median": median(values), "min": min(values), "max": max(values), "n": len(values)}


# ---------------------------------------------------------------- /proc


def proc_cpu_ns(pid):
    """CPU time of every thread of a process so far, from /proc/PID/task/*/schedstat (ns)."""
    total = 0
    for path in glob.glob(f"/proc/{pid}/task/*/schedstat"):
        try:
            with open(path) as f:
                total += int(f.read().split()[0])
        except (OSError, ValueError, IndexError):
            pass  # a thread that ended in between
    return total


def proc_wakeups(pid):
    """Context switches of every thread of a process so far: each one a wake-up (voluntary: it
    slept and was woken; nonvoluntary: it was preempted while running)."""
    total = 0
    for path in glob.glob(f"/proc/{pid}/task/*/status"):
        try:
            with open(path) as f:
                for line in f:
                    if line.startswith(("voluntary_ctxt_switches", "nonvoluntary_ctxt_switches")):
                        total += int(line.split()[1])
        except (OSError, ValueError, IndexError):
            pass  # a thread that ended in between
    return total


def proc_memory_kb(pid):
    fields = {}
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "RssAnon", "RssFile", "VmLck"):
                fields[key] = int(value.split()[0])
    return fields


def find_wine_process(exe_name, prefix):
    """The Linux pid of the running Windows program exe_name of this Wine prefix (other helpers
    may run the same programs in prefixes of their own)."""
    needle = exe_name.lower().encode()
    marker = b"WINEPREFIX=" + prefix.encode() + b"\0"
    found = []
    for path in glob.glob("/proc/[0-9]*"):
        try:
            with open(path + "/cmdline", "rb") as f:
                cmdline = f.read().lower()
            if needle not in cmdline:
                continue
            with open(path + "/environ", "rb") as f:
                if marker not in f.read() + b"\0":
                    continue
        except OSError:
            continue
        found.append(int(path[6:]))
    return max(found) if found else None


# ---------------------------------------------------------------- the driver


class Driver:
    """bench_Driver.exe under Wine: one command line in, one answer line out."""

    def __init__(self, env=None, stderr=subprocess.DEVNULL):
        self.proc = subprocess.Popen(["wine", os.path.join(WIN, "bench_Driver.exe")], stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=stderr, text=True, bufsize=1, env=env,
                                     cwd=ROOT)
        self.pid = self.proc.pid
        self.prefix = os.environ["WINEPREFIX"]
        self.target = None  # Linux pid of the program the driver started last

    def cmd(self, line, timeout=300):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        if not ready:
            raise RuntimeError(f"driver: no answer to '{line}' within {timeout} s")
        answer = self.proc.stdout.readline().strip()
        if not answer:
            raise RuntimeError(f"driver ended while answering '{line}'")
        return answer

    def prepare(self, values):
        """A fresh settings key with the given DWORDs (None: no key at all, as on a first start)."""
        self.cmd("clear")
        for name, value in (values or {}).items():
            self.cmd(f"set {name} {value}")

    def start(self, exe, tip="-", args=""):
        answer = self.cmd(f"start {exe} {tip} {args}".rstrip())
        parts = answer.split()
        if parts[0] != "started":
            raise RuntimeError(f"{exe}: {answer}")
        self.target = None
        for _ in range(200):
            self.target = find_wine_process(exe, self.prefix)
            if self.target:
                break
            time.sleep(0.01)
        if not self.target:
            raise RuntimeError(f"{exe}: no Linux process found")
        return {"idle_ms": float(parts[2]), "tray_ms": float(parts[3])}

    def stop(self):
        answer = self.cmd("stop", timeout=60)
        self.target = None
        return answer

    def close(self):
        try:
            self.cmd("quit", timeout=30)
        except (RuntimeError, BrokenPipeError, OSError):
            pass
        try:
            self.proc.wait(timeout=30)
        except subprocess.TimeoutExpired:
            self.proc.kill()


# ---------------------------------------------------------------- the measurements (inside Wine)

TRAY_SETTINGS = {"Visible": 0}  # a later start: the settings window stays hidden, the icon shows


def measure_startup(driver, rounds, memory_rounds):
    """Alternating starts of Quorlin and the minimal tray program: the tray start (settings
    window hidden) and the first start (no settings: the window shows and is painted)."""
    programs = {
        "tray": [("quorlin", "Quorlin.exe", "Quorlin_(", "", TRAY_SETTINGS),
                 ("reference", "bench_TrayRef.exe", "TrayRef", "", None),
                 ("dlls", "bench_TrayRefDlls.exe", "TrayRef", "", None)],
        "window": [("quorlin", "Quorlin.exe", "Quorlin_(", "", None),
                   ("reference", "bench_TrayRef.exe", "TrayRef", "/window", None),
                   ("dlls", "bench_TrayRefDlls.exe", "TrayRef", "/window", None)],
    }
    names = [p[0] for p in programs["tray"]]
    results = {kind: {name: [] for name in names} for kind in programs}
    memory = {name: {"start": [], "trim": []} for name in names}
    # One start of each first: the first starts of a prefix are slower for every program.
    for kind in programs:
        for _, exe, tip, args, settings in programs[kind]:
            driver.prepare(settings)
            driver.start(exe, tip, args)
            driver.stop()
    for r in range(rounds):
        for kind in ("tray", "window"):
            shift = r % len(programs[kind])  # each program comes first, second and last in turn
            order = programs[kind][shift:] + programs[kind][:shift]
            for name, exe, tip, args, settings in order:
                driver.prepare(settings)
                t0 = time.monotonic()
                timing = driver.start(exe, tip, args)
                results[kind][name].append(max(timing["idle_ms"], timing["tray_ms"]))
                if kind == "tray" and r < memory_rounds:
                    memory[name]["start"].append(proc_memory_kb(driver.target))
                    # Quorlin trims its working set when its run-once timer fires, 1.5 s after
                    # start; the references do the same at the same time.
                    time.sleep(max(0.0, 2.0 - (time.monotonic() - t0)))
                    memory[name]["trim"].append(proc_memory_kb(driver.target))
                driver.stop()
                time.sleep(0.1)
    return {"times": results, "memory": memory, "rounds": rounds, "memory_rounds": memory_rounds}


HOOK_CONFIGS = [
    # name, program, settings written before start (None: no Quorlin settings needed)
    ("null", "bench_NullHooks.exe", None),
    ("quorlin_pass", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=0)),
    ("quorlin_swallow", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=1)),
    ("smart_pass", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=0, **{o: 1 for o in SMART_OPTIONS})),
    ("smart_swallow", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=1, **{o: 1 for o in SMART_OPTIONS})),
    # The typing-aware interval on: the burst's keys come close together, so they show typing.
    ("typing_pass", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=0, AdaptToTyping=1)),
    ("typing_swallow", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=1, AdaptToTyping=1)),
    # Raw input registered and every event tied to its device; Wine's devices are USB-style, so
    # its keys start no interval and nothing is swallowed.
    ("external", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=1, IgnoreExternalMouse=1, IgnoreExternalKeyboard=1)),
    # Rules per program: one for another program (every key looks at the window in front), and
    # "clicks only" for the driver's window in front (every move after a key looks too, and passes).
    ("rules_pass", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=0, **{"Programs\\other.exe": 1})),
    ("rule_in_force", "Quorlin.exe", dict(TRAY_SETTINGS, BlockEvents=1, **{"Programs\\bench_driver.exe": 2})),
]


def measure_hooks(driver, rounds, cycles, moves):
    """CPU time per event of the hooking process, block by block in fresh processes.

    Every block injects the same stream: cycles of a key press and release ('A') followed by
    zero-length relative moves. With BlockEvents=1 Quorlin swallows the moves (they come right
    after a key), with BlockEvents=0 it lets them pass; the do-nothing hooks let everything pass.
    """
    blocks = []
    for r in range(rounds):
        order = HOOK_CONFIGS[r % len(HOOK_CONFIGS):] + HOOK_CONFIGS[:r % len(HOOK_CONFIGS)]
        for name, exe, settings in order:
            driver.prepare(settings)
            t0 = time.monotonic()
            driver.start(exe, "Quorlin_(" if exe == "Quorlin.exe" else "-")
            # Past Quorlin's run-once timer (1.5 s), so its one-off work stays out of the block.
            time.sleep(max(0.0, 1.8 - (time.monotonic() - t0)))
            target, drv = driver.target, driver.pid
            cpu0, dcpu0 = proc_cpu_ns(target), proc_cpu_ns(drv)
            answer = driver.cmd(f"burst {cycles} {moves}").split()
            cpu1, dcpu1 = proc_cpu_ns(target), proc_cpu_ns(drv)
            driver.stop()
            events = int(answer[1])
            blocks.append({"config": name, "round": r, "events": events, "wall_ms": float(answer[2]),
                           "cpu_ns_per_event": (cpu1 - cpu0) / events,
                           "driver_ns_per_event": (dcpu1 - dcpu0) / events})
    # Drift: the driver does the same work in every block, so its CPU time per event tells how
    # fast the machine was at the time; every block is scaled to the median machine.
    typical = median([b["driver_ns_per_event"] for b in blocks])
    for b in blocks:
        b["corrected_ns_per_event"] = b["cpu_ns_per_event"] * typical / b["driver_ns_per_event"]
    return {"blocks": blocks, "rounds": rounds, "cycles": cycles, "moves": moves}


SCALING_RATES = [(10, 8.0), (100, 4.0), (1000, 3.0)]  # events per second, seconds


def measure_scaling(driver):
    """Cost per event at three rates (settings window hidden, as it mostly is), for Quorlin and
    the do-nothing hooks; then the delay of the blocked-event message with the window shown,
    read from its counter after every swallowed press."""
    out = {"cost": {}, "delay": {}}
    for name, exe, settings in [("quorlin", "Quorlin.exe", TRAY_SETTINGS), ("null", "bench_NullHooks.exe", None)]:
        driver.prepare(settings)
        t0 = time.monotonic()
        driver.start(exe, "Quorlin_(" if exe == "Quorlin.exe" else "-")
        time.sleep(max(0.0, 1.8 - (time.monotonic() - t0)))
        for rate, seconds in SCALING_RATES:
            cpu0 = proc_cpu_ns(driver.target)
            answer = driver.cmd(f"rate {rate} {seconds} 0").split()
            cpu1 = proc_cpu_ns(driver.target)
            events, wall = int(answer[1]), float(answer[2])
            out["cost"].setdefault(name, {})[rate] = {"events": events, "achieved_rate": events / wall * 1000,
                                                      "cpu_us_per_event": (cpu1 - cpu0) / events / 1000}
        driver.stop()
    driver.prepare(None)  # first start: the settings window shows its counter
    t0 = time.monotonic()
    driver.start("Quorlin.exe", "Quorlin_(")
    time.sleep(max(0.0, 1.8 - (time.monotonic() - t0)))
    for rate, seconds in SCALING_RATES:
        answer = driver.cmd(f"rate {rate} {seconds} 1").split()
        if answer[0] != "done":
            raise RuntimeError("rate: " + " ".join(answer))
        out["delay"][rate] = {"events": int(answer[1]), "achieved_rate": int(answer[1]) / float(answer[2]) * 1000,
                              "presses": int(answer[3]), "max_ms": float(answer[4]), "median_ms": float(answer[5])}
    driver.stop()
    return out


# Quorlin's state for each situation: the tray start (window hidden) unless the situation needs
# the settings window; no reports where they would add a wait of their own.
LATENCY_SITUATIONS = [("idle", {"Visible": 0}), ("report", {"Visible": 0}), ("link", {"Internet": 0}),
                      ("touchpad", {"Visible": 0, "Internet": 0, "TouchpadSwitch": 1})]
LATENCY_MOVES = 200          # one every 5 ms: a second of moves
TOUCHPAD_CALL_DELAY_MS = 300  # each call of the driver double


def measure_latency(driver):
    """Median and longest SendInput time of a zero-length move in each situation, a fresh Quorlin
    for each (with the silent proxy, the stand-in browser and the slow driver double in place)."""
    for command in ("silent", f"double {TOUCHPAD_CALL_DELAY_MS}"):
        if driver.cmd(command) != "ok":
            raise RuntimeError(f"latency: {command} failed")
    out = {"moves": LATENCY_MOVES, "touchpad_call_ms": TOUCHPAD_CALL_DELAY_MS, "situations": {}}
    for name, settings in LATENCY_SITUATIONS:
        driver.prepare(settings)
        t0 = time.monotonic()
        driver.start("Quorlin.exe", "Quorlin_(")
        time.sleep(max(0.0, 1.8 - (time.monotonic() - t0)))  # past the run-once timer: hotkeys registered
        answer = driver.cmd(f"latency {name} {LATENCY_MOVES}", timeout=120).split()
        driver.stop()
        if answer[0] != "done":
            raise RuntimeError("latency: " + " ".join(answer))
        out["situations"][name] = {"median_ms": float(answer[2]), "max_ms": float(answer[3]),
                                   "p90_ms": float(answer[4])}
    return out


def measure_soak(driver, seconds, rate=500, samples=20):
    """Memory of Quorlin while input is injected without a pause: a sample every seconds/samples."""
    driver.prepare(TRAY_SETTINGS)
    t0 = time.monotonic()
    driver.start("Quorlin.exe", "Quorlin_(")
    time.sleep(max(0.0, 1.8 - (time.monotonic() - t0)))
    step = seconds / samples
    curve = []
    start = time.monotonic()
    mem = proc_memory_kb(driver.target)
    curve.append({"t": 0.0, "events": 0, "cpu_s": proc_cpu_ns(driver.target) / 1e9, **mem})
    events = 0
    for i in range(samples):
        answer = driver.cmd(f"rate {rate} {step} 0", timeout=step * 4 + 60).split()
        events += int(answer[1])
        mem = proc_memory_kb(driver.target)
        curve.append({"t": round(time.monotonic() - start, 1), "events": events,
                      "cpu_s": proc_cpu_ns(driver.target) / 1e9, **mem})
    driver.stop()
    return {"seconds": seconds, "rate": rate, "curve": curve}


def measure_trace():
    """One tray start of each program with Wine's timestamps on DLL loads and window creation:
    where the time goes."""
    log_path = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"quorlin-bench-trace-{os.getpid()}.txt")
    env = dict(os.environ, WINEDEBUG="+timestamp,+pid,+loaddll,+win,+process")
    with open(log_path, "w") as log:
        driver = Driver(env=env, stderr=log)
        try:
            # The driver's own start is traced too; its lines are told apart by process id.
            driver.prepare(TRAY_SETTINGS)
            q = driver.start("Quorlin.exe", "Quorlin_(")
            driver.stop()
            r = driver.start("bench_TrayRef.exe", "TrayRef")
            driver.stop()
        finally:
            driver.close()
    with open(log_path, errors="replace") as f:
        lines = f.readlines()
    os.remove(log_path)
    return {"quorlin": parse_trace(lines, "Quorlin.exe"), "reference": parse_trace(lines, "bench_TrayRef.exe"),
            "traced_ms": {"quorlin": q, "reference": r}}


def parse_trace(lines, exe):
    """Milestones of one traced start: ms after CreateProcess for each DLL and for the windows."""
    created = None
    pid = None
    events = []
    line_re = re.compile(r"^(\d+\.\d+):([0-9a-f]{4}):[0-9a-f]{4}:(.*)$")
    for line in lines:
        m = line_re.match(line)
        if not m:
            continue
        t, p, rest = float(m.group(1)), m.group(2), m.group(3)
        if created is None:
            if "CreateProcessInternalW app" in rest and exe in rest:
                created = t
            continue
        if pid is None:
            s = re.search(r"started process pid ([0-9a-f]+)", rest)
            if s:
                pid = s.group(1).rjust(4, "0")
            continue
        if p != pid:
            continue
        ms = round((t - created) * 1000, 1)
        d = re.search(r'Loaded L"[^"]*\\\\([^"\\]+)" at', rest)
        if d:
            events.append((ms, "load " + d.group(1).lower()))
            continue
        w = re.search(r'WIN_CreateWindowEx (?:L"[^"]*"|\(null\)) L"([^"]+)"', rest)
        if w:
            events.append((ms, "window " + w.group(1)))
    return events


IDLE_CONFIGS = [
    # name, program, tip, settings written before start
    ("reference", "bench_TrayRef.exe", "TrayRef", None),
    ("quorlin", "Quorlin.exe", "Quorlin_(", TRAY_SETTINGS),
    ("quorlin_fullscreen", "Quorlin.exe", "Quorlin_(", dict(TRAY_SETTINGS, PauseFullScreen=1)),
]
IDLE_SETTLE_S = 3.0  # past Quorlin's run-once timer (1.5 s) and the first paints


def measure_idle(driver, seconds):
    """Wake-ups and CPU time of a program at rest: window hidden, no input, the pointer parked in a
    corner away from every window (Wine's themed check boxes wake their program about 1000 times a
    second while the pointer rests on one). Counted from /proc over the given seconds."""
    out = {"seconds": seconds, "pointer": [1270, 10], "programs": {}}
    subprocess.run(["xdotool", "mousemove", *map(str, out["pointer"])], check=False)
    for name, exe, tip, settings in IDLE_CONFIGS:
        driver.prepare(settings)
        t0 = time.monotonic()
        driver.start(exe, tip)
        time.sleep(max(0.0, IDLE_SETTLE_S - (time.monotonic() - t0)))
        target = driver.target
        w0, c0, s0 = proc_wakeups(target), proc_cpu_ns(target), time.monotonic()
        time.sleep(seconds)
        w1, c1, s1 = proc_wakeups(target), proc_cpu_ns(target), time.monotonic()
        driver.stop()
        minutes = (s1 - s0) / 60
        out["programs"][name] = {"wakeups_per_min": (w1 - w0) / minutes, "cpu_ms_per_min": (c1 - c0) / 1e6 / minutes}
    return out


def measure_inputdelay(runs):
    out = subprocess.run(["wine", os.path.join(WIN, "bench_StartInputDelay.exe"), str(runs)], cwd=ROOT,
                         capture_output=True, text=True, timeout=600)
    return out.stdout


def inside(args):
    """Runs inside scripts/wine-run.sh: one prefix, one display, everything on one core."""
    subprocess.run(["wineboot"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    results = {}
    parts = args.parts.split(",")
    driver = Driver()
    try:
        for part in parts:
            t = time.monotonic()
            if part == "startup":
                results[part] = measure_startup(driver, args.rounds, args.memory_rounds)
            elif part == "hooks":
                results[part] = measure_hooks(driver, args.hook_rounds, args.cycles, args.moves)
            elif part == "scaling":
                results[part] = measure_scaling(driver)
            elif part == "soak":
                results[part] = measure_soak(driver, args.soak)
            elif part == "latency":
                results[part] = measure_latency(driver)
            elif part == "idle":
                results[part] = measure_idle(driver, args.idle_seconds)
            else:
                continue
            print(f"  {part}: {time.monotonic() - t:.0f} s", file=sys.stderr, flush=True)
    finally:
        driver.close()
    if "trace" in parts:
        results["trace"] = measure_trace()
    if "inputdelay" in parts:
        t = time.monotonic()
        results["inputdelay"] = measure_inputdelay(args.inputdelay_runs)
        print(f"  inputdelay: {time.monotonic() - t:.0f} s", file=sys.stderr, flush=True)
    with open(args.inside, "w") as f:
        json.dump(results, f)


# ---------------------------------------------------------------- outside Wine


def measure_sizes():
    sizes = {"files": {}, "sections": {}, "limit": SIZE_LIMIT}
    for name in ("Quorlin.exe", "bench_TrayRef.exe", "bench_TrayRefDlls.exe", "bench_NullHooks.exe"):
        path = os.path.join(WIN, name)
        if os.path.exists(path):
            sizes["files"][name] = os.path.getsize(path)
    try:
        out = subprocess.run(["i686-w64-mingw32-objdump", "-h", os.path.join(WIN, "Quorlin.exe")],
                             capture_output=True, text=True).stdout
        for line in out.splitlines():
            parts = line.split()
            if len(parts) >= 7 and parts[0].isdigit():
                sizes["sections"][parts[1]] = int(parts[2], 16)
    except OSError:
        pass
    return sizes


def measure_native():
    exe = os.path.join(NATIVE, "bench_HookDecision")
    if not os.path.exists(exe):
        return None
    out = subprocess.run([exe, "--benchmark_format=json", "--benchmark_repetitions=5",
                          "--benchmark_report_aggregates_only=true", "--benchmark_min_time=0.2"],
                         capture_output=True, text=True, timeout=300)
    data = json.loads(out.stdout)
    figures = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        figures[b["run_name"]] = b["cpu_time"]  # ns per iteration: one event
    return {"figures": figures, "context": data.get("context", {})}


def pinned_cpu():
    cpus = sorted(os.sched_getaffinity(0))
    return cpus[-1]


def run_inside(args, parts):
    result_path = os.path.join(os.environ.get("TMPDIR", "/tmp"), f"quorlin-bench-{os.getpid()}.json")
    inner = [sys.executable, os.path.abspath(__file__), "--inside", result_path, "--parts", ",".join(parts),
             "--rounds", str(args.rounds), "--memory-rounds", str(args.memory_rounds),
             "--hook-rounds", str(args.hook_rounds), "--cycles", str(args.cycles), "--moves", str(args.moves),
             "--soak", str(args.soak), "--idle-seconds", str(args.idle_seconds),
             "--inputdelay-runs", str(args.inputdelay_runs)]
    cpu = pinned_cpu()
    command = ["taskset", "-c", str(cpu), os.path.join(ROOT, "scripts", "wine-run.sh"), "--sh", shlex.join(inner)]
    subprocess.run(command, check=True, cwd=ROOT)
    with open(result_path) as f:
        results = json.load(f)
    os.remove(result_path)
    return results, cpu


def machine_description():
    model = ""
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    wine = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    load = os.getloadavg()
    return {"cpu": model, "cores": os.cpu_count(), "wine": wine, "load": load}


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--inside", help=argparse.SUPPRESS)
    ap.add_argument("--parts", default=",".join(ALL_PARTS))
    ap.add_argument("--rounds", type=int, default=20, help="alternating starts of each program (20)")
    ap.add_argument("--memory-rounds", type=int, default=6, help="of which memory is read in (6)")
    ap.add_argument("--hook-rounds", type=int, default=7, help="blocks of each hook configuration (7)")
    ap.add_argument("--cycles", type=int, default=1000, help="key cycles per hook block (1000)")
    ap.add_argument("--moves", type=int, default=8, help="moves after each key press and release (8)")
    ap.add_argument("--soak", type=float, default=60, help="seconds of the memory soak (60)")
    ap.add_argument("--idle-seconds", type=float, default=60, help="seconds each program rests in the idle part (60)")
    ap.add_argument("--inputdelay-runs", type=int, default=5, help="starts of bench_StartInputDelay (5)")
    ap.add_argument("--no-doc", action="store_true", help="print the results instead of writing the document")
    ap.add_argument("--doc", action="store_true", help="write the document also after a run of some parts only")
    args = ap.parse_args()
    if args.inside:
        return inside(args)

    begin = time.monotonic()
    parts = [p for p in args.parts.split(",") if p]
    results = {"sizes": measure_sizes(), "native": measure_native(), "machine": machine_description()}
    print(f"  sizes, native: {time.monotonic() - begin:.0f} s", file=sys.stderr, flush=True)
    inner, cpu = run_inside(args, parts)
    results.update(inner)
    results["cpu"] = cpu
    results["args"] = vars(args)
    results["date"] = datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC")
    results["elapsed_s"] = time.monotonic() - begin
    if "soak" in results and args.soak >= 600:
        save_curve(results["soak"], results["date"], args)
    if args.no_doc or (set(parts) != set(ALL_PARTS) and not args.doc):
        # A partial run does not replace the document (unless asked to with --doc).
        json.dump(results, sys.stdout, indent=1)
        return 0
    import report  # bench/report.py: the document from the results
    with open(DOC, "w") as f:
        f.write(report.render(results, load_curves()))
    print(f"make bench: wrote {os.path.relpath(DOC, ROOT)} in {results['elapsed_s']:.0f} s", file=sys.stderr)
    return 0


def save_curve(soak, date, args):
    os.makedirs(PERF_DIR, exist_ok=True)
    path = os.path.join(PERF_DIR, f"soak-{int(soak['seconds'])}s.csv")
    with open(path, "w") as f:
        f.write(f"# {date}: bench/run.py --parts soak --soak {int(soak['seconds'])} "
                f"(Quorlin hidden in the tray, {soak['rate']} injected events/s)\n")
        f.write("seconds,events,cpu_s,VmRSS_kB,RssAnon_kB,RssFile_kB\n")
        for s in soak["curve"]:
            f.write(f"{s['t']},{s['events']},{s['cpu_s']:.2f},{s['VmRSS']},{s['RssAnon']},{s['RssFile']}\n")


def load_curves():
    curves = []
    for path in sorted(glob.glob(os.path.join(PERF_DIR, "soak-*.csv"))):
        with open(path) as f:
            lines = f.read().splitlines()
        head = lines[0].lstrip("# ") if lines and lines[0].startswith("#") else ""
        rows = [dict(zip(lines[1].split(","), l.split(","))) for l in lines[2:] if l]
        curves.append({"file": os.path.relpath(path, ROOT), "head": head, "rows": rows})
    return curves


if __name__ == "__main__":
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    sys.exit(main())
