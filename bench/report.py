"""docs/PERFORMANCE.md from the results of bench/run.py (one function, render)."""

import statistics

# Targets against the minimal tray program on a machine without the touchpad driver.
STARTUP_TARGETS = {"tray": 1.25, "window": 1.4}
MEMORY_TARGET = 1.3
HOOK_TARGET = 1.05
KIB = 1024


def med(values):
    return statistics.median(values) if values else float("nan")


def rng(values, digits=1, unit=""):
    """median (min–max)"""
    if not values:
        return "–"
    return f"{med(values):.{digits}f}{unit} ({min(values):.{digits}f}–{max(values):.{digits}f})"


def ratio(a, b):
    return a / b if b else float("nan")


def verdict(value, target):
    return "met" if value <= target else "**not met**"


def growth(points):
    """(seconds, RssAnon) samples under input: the change over the second half, which a leak would
    show and a one-off allocation would not, and the steps of 256 KiB or more, as (seconds, KiB)."""
    if len(points) < 3:
        return 0, []
    steps = [(t1, a1 - a0) for (t0, a0), (t1, a1) in zip(points, points[1:]) if abs(a1 - a0) >= 256]
    return points[-1][1] - points[len(points) // 2][1], steps


def growth_text(points):
    late, steps = growth(points)
    text = f"{late:+d} over the second half"
    if steps:
        text += "; one-off " + ", ".join(f"{d:+d} at {t:.0f} s" for t, d in steps)
    return text


def table(header, rows):
    out = ["| " + " | ".join(header) + " |", "|" + "|".join("---" for _ in header) + "|"]
    out += ["| " + " | ".join(str(c) for c in row) + " |" for row in rows]
    return "\n".join(out)


def render(r, curves):
    parts = [header(r), summary(r, curves), method(r)]
    for name, fn in (("startup", startup), ("hooks", hooks), ("idle", idle), ("scaling", scaling), ("latency", latency),
                     ("soak", soak),
                     ("sizes", sizes), ("inputdelay", inputdelay)):
        if name in r and r[name]:
            parts.append(fn(r) if name != "soak" else fn(r, curves))
    if "soak" not in r and curves:
        parts.append(soak(r, curves))
    return "\n\n".join(p for p in parts if p) + "\n"


# ---------------------------------------------------------------- sections


def header(r):
    m = r["machine"]
    load = ", ".join(f"{x:.2f}" for x in m["load"])
    return f"""# Performance

Written by `make bench` (`python3 bench/run.py`) on {r['date']}, in {r['elapsed_s'] / 60:.1f} minutes.
Do not edit by hand: run `make bench` again. The figures come from one run on a shared machine
({m['cpu'] or 'unknown CPU'}, {m['cores']} cores, load average {load} at the end of the run, {m['wine']}),
so each ratio compares figures taken side by side in the same minutes, never with an earlier run."""


def summary(r, curves):
    rows = []
    st = r.get("startup")
    if st:
        t = st["times"]
        for kind, label in (("tray", "Start-up to the tray icon, hooks active (ms)"),
                            ("window", "Start-up to the settings window painted, first start (ms)")):
            q, ref = med(t[kind]["quorlin"]), med(t[kind]["reference"])
            target = STARTUP_TARGETS[kind]
            rows.append([label, rng(t[kind]["quorlin"]), rng(t[kind]["reference"]), f"{ratio(q, ref):.2f}",
                         f"≤ {target}", verdict(ratio(q, ref), target),
                         "`bench/run.py --parts startup`"])
        mem = st["memory"]
        for moment, label in (("start", "Private memory after start-up (RssAnon, KiB)"),
                              ("trim", "Private memory after TrimWorkingSet (RssAnon, KiB)")):
            q = [x["RssAnon"] for x in mem["quorlin"][moment]]
            ref = [x["RssAnon"] for x in mem["reference"][moment]]
            rows.append([label, rng(q, 0), rng(ref, 0), f"{ratio(med(q), med(ref)):.2f}", f"≤ {MEMORY_TARGET}",
                         verdict(ratio(med(q), med(ref)), MEMORY_TARGET), "`bench/run.py --parts startup`"])
    if r.get("sizes", {}).get("files", {}).get("Quorlin.exe"):
        size = r["sizes"]["files"]["Quorlin.exe"]
        limit = r["sizes"]["limit"]
        rows.append(["Release `Quorlin.exe` (KiB)", f"{size / KIB:.1f}", f"limit {limit // KIB}",
                     f"{size / limit:.2f}", "≤ 1.00", verdict(size / limit, 1.0),
                     "`make win` (the build fails above the limit)"])
    hk = r.get("hooks")
    if hk:
        by = hook_medians(hk)
        null = by["null"]
        for config, label in (("quorlin_pass", "Hook CPU per event, events pass (µs)"),
                              ("quorlin_swallow", "Hook CPU per event, events swallowed (µs)"),
                              ("smart_pass", "… with the three smart-blocking options on, pass (µs)"),
                              ("smart_swallow", "… with the three smart-blocking options on, swallowed (µs)"),
                              ("typing_pass", "… with the typing-aware interval on, pass (µs)"),
                              ("typing_swallow", "… with the typing-aware interval on, swallowed (µs)"),
                              ("external", "… with both external-device options on (µs)"),
                              ("rules_pass", "… with a rule for another program, pass (µs)"),
                              ("rule_in_force", "… with \"clicks only\" for the program in front (µs)")):
            if config not in by:
                continue
            values = [b["corrected_ns_per_event"] / 1000 for b in hk["blocks"] if b["config"] == config]
            nulls = [b["corrected_ns_per_event"] / 1000 for b in hk["blocks"] if b["config"] == "null"]
            rows.append([label, rng(values, 1), rng(nulls, 1), f"{ratio(by[config], null):.2f}", f"≤ {HOOK_TARGET}",
                         verdict(ratio(by[config], null), HOOK_TARGET), "`bench/run.py --parts hooks`"])
    rows += idle_rows(r)
    nat = r.get("native")
    if nat:
        f = nat["figures"]
        loop = f.get("EmptyLoop", float("nan"))
        for key, label in (("KeyboardDecision/options:0", "Decision per key event, native (ns)"),
                           ("KeyboardDecision/options:1", "… with the shortcut and held-key options on, native (ns)"),
                           ("MouseDecision/passing_lastKeyAgeMs:900", "Decision per mouse event, passing, native (ns)"),
                           ("MouseDecision/swallowing_lastKeyAgeMs:100",
                            "Decision per mouse event, swallowing, native (ns)")):
            if key in f:
                rows.append([label, f"{f[key]:.2f}", f"{loop:.2f} (empty loop)", "–", "–", "measured",
                             "`build/native/bench_HookDecision`"])
    sc = r.get("scaling")
    if sc:
        worst = max(d["max_ms"] for d in sc["delay"].values())
        rows.append(["Longest delay of the blocked-event message at 10–1000 events/s (ms)", f"{worst:.1f}", "–", "–",
                     "no backlog", "met" if worst < 50 else "**not met**", "`bench/run.py --parts scaling`"])
    sk = r.get("soak")
    if sk:
        points = [(x["t"], x["RssAnon"]) for x in sk["curve"][1:]]
        late, _ = growth(points)
        rows.append([f"Private memory growth during {sk['seconds']:.0f} s of input (KiB)", growth_text(points), "–",
                     "–", "no growth", "met" if late <= 16 else "**not met**", "`bench/run.py --parts soak`"])
    for cv in curves:
        points = [(float(x["seconds"]), int(x["RssAnon_kB"])) for x in cv["rows"][1:]]
        if len(points) > 2:
            late, _ = growth(points)
            rows.append([f"Private memory growth over {points[-1][0] / 60:.0f} min of input, recorded curve (KiB)",
                         growth_text(points), "–", "–", "no growth", "met" if late <= 16 else "**not met**",
                         f"`bench/run.py --parts soak --soak 600` (`{cv['file']}`)"])
    return "## Summary\n\n" + table(["Figure", "Quorlin", "Reference", "Ratio", "Target", "", "Command"], rows) + """

References: the minimal tray program `bench/progs/TrayRef.cpp` (a window class, a hidden window, a
tray icon with a system icon, a message loop; with `/window` it also shows a plain window of the
settings window's size) and the do-nothing hooks `bench/progs/NullHooks.cpp` (the same two
low-level hooks, installed the same way, that only call `CallNextHookEx`). Ranges are the lowest
and highest of all blocks or starts. Every command runs from the repository's root; `make bench`
runs them all and writes this file."""


def method(r):
    a = r["args"]
    return f"""## How the run was done

- **One core.** `bench/run.py` runs its Windows half inside `scripts/wine-run.sh` (a throwaway copy
  of the test prefix and a private Xvfb display) under `taskset -c {r['cpu']}`, so Xvfb, the
  wineserver, explorer, the driver and every measured program share CPU {r['cpu']}. The machine is
  shared with other work, which runs on the same cores; that is why everything below alternates
  and takes medians, and why the document gives ranges.
- **The driver** (`bench/Driver.cpp`) is a Windows program that never installs a hook. It starts
  each measured program as a fresh process, writes its settings to the registry beforehand, times
  the start-up, injects input with `SendInput` from a small window of its own (so keys do not land
  in the measured program), and stops the program as the end of the session does.
- **Start-up**: {a['rounds']} rounds; in each, Quorlin and the references start in turn, the order
  rotating from round to round. The time runs from just before `CreateProcess` until both
  `WaitForInputIdle` has returned (the program's thread waits for input with nothing left in its
  queue: the message that installs the hooks and every pending paint are done) and a tray icon
  with the program's tip is on show (read from the taskbar's tooltips, `tests/support/TrayProbe`).
  The tray start has stored settings with the window hidden; the first start has none, so the
  settings window opens. Memory comes from `/proc/PID/status` in the first {a['memory_rounds']}
  rounds: right at that moment, and 2 s after start, when Quorlin's run-once timer (1.5 s) has
  trimmed its working set (the references trim theirs at the same time).
- **Hooks**: {a['hook_rounds']} rounds of one block per configuration in rotating order, each block a
  fresh process that gets 1.8 s to settle (past Quorlin's run-once timer), then {a['cycles']} cycles of a
  key press and release ('A') followed by {a['moves']} zero-length relative moves, as fast as
  `SendInput` returns. The cost is the CPU time of every thread of the hooking process
  (`/proc/PID/task/*/schedstat`) over the block, per injected event. Drift: the driver does the same
  work in every block, so each block is scaled by the median driver CPU per event over the driver's
  CPU per event in that block. Quorlin swallows the moves with "Also block move and wheel events"
  on (`BlockEvents`=1, they come right after a key) and lets them pass with it off; the do-nothing
  hooks let everything pass.
- **Scaling**: the same cycles paced to 10, 100 and 1000 events per second, each cycle ten events
  (key press and release, left press and release, six moves); the left presses are swallowed.
  Cost per event as above, settings window hidden. For the delay the settings window is shown and
  the driver reads its counter ("Clicks blocked") after every swallowed press until the press is
  counted: the time from `SendInput`'s return to then is how long the blocked-event message waited
  in Quorlin's queue, plus up to two round trips of `WM_GETTEXT`."""


def hook_medians(hk):
    out = {}
    for b in hk["blocks"]:
        out.setdefault(b["config"], []).append(b["corrected_ns_per_event"] / 1000)
    return {k: med(v) for k, v in out.items()}


def startup(r):
    st = r["startup"]
    t, mem = st["times"], st["memory"]
    names = [("quorlin", "Quorlin.exe"), ("reference", "TrayRef (minimal)"),
             ("dlls", "TrayRefDlls (minimal + Quorlin's DLLs)")]
    rows = []
    for key, label in names:
        if key not in t["tray"]:
            continue
        rows.append([label, rng(t["tray"][key]), f"{ratio(med(t['tray'][key]), med(t['tray']['reference'])):.2f}",
                     rng(t["window"][key]), f"{ratio(med(t['window'][key]), med(t['window']['reference'])):.2f}"])
    text = ["## Start-up", "",
            table(["Program", "to tray icon (ms)", "ratio", "to window painted, first start (ms)", "ratio"], rows)]
    mrows = []
    for key, label in names:
        if key not in mem or not mem[key]["start"]:
            continue
        s, tr = mem[key]["start"], mem[key]["trim"]
        mrows.append([label, rng([x["RssAnon"] for x in s], 0), rng([x["RssAnon"] for x in tr], 0),
                      f"{ratio(med([x['RssAnon'] for x in s]), med([x['RssAnon'] for x in mem['reference']['start']])):.2f}",
                      rng([x["VmRSS"] for x in s], 0),
                      f"{ratio(med([x['VmRSS'] for x in s]), med([x['VmRSS'] for x in mem['reference']['start']])):.2f}",
                      rng([x.get("VmLck", 0) for x in s], 0)])
    text += ["", "### Memory after start-up (KiB, `/proc/PID/status`)", "",
             table(["Program", "private (RssAnon)", "private after trim", "ratio", "resident (VmRSS)", "ratio",
                    "locked (VmLck)"], mrows)]
    text += ["", startup_notes(r)]
    if "trace" in r:
        text += ["", trace(r)]
    return "\n".join(text)


def startup_notes(r):
    st = r["startup"]
    t, mem = st["times"], st["memory"]
    q_tray, ref_tray, dll_tray = (med(t["tray"][k]) for k in ("quorlin", "reference", "dlls"))
    q_win, ref_win, dll_win = (med(t["window"][k]) for k in ("quorlin", "reference", "dlls"))
    anon = {k: med([x["RssAnon"] for x in mem[k]["start"]]) for k in ("quorlin", "reference", "dlls")}
    trimmed = all(med([x["RssAnon"] for x in mem[k]["trim"]]) >= anon[k] - 8 for k in anon)
    lines = ["### What stands in the way", ""]
    lines.append(
        f"- **Memory.** COM (ole32, oleaut32, rpcrt4, combase) is no longer loaded at start on a machine "
        f"without the touchpad driver: the driver's class registration is looked up first, and ole32 is "
        f"loaded from the system folder only when it is there (or when a link is opened); the report's "
        f"date is counted without OLE Automation. Quorlin's DLL set is now the common controls of version 6 "
        f"from its manifest, which take the minimal program from {anon['reference']:.0f} to "
        f"{anon['dlls']:.0f} KiB of private memory ({ratio(anon['dlls'], anon['reference']):.2f}×) before any "
        f"line of Quorlin runs (their theming allocates its own). Quorlin's own windows, icons, fonts and "
        f"data add {anon['quorlin'] - anon['dlls']:.0f} KiB ({ratio(anon['quorlin'], anon['dlls']):.2f}× that "
        f"floor). Under Wine, showing a window brings COM in anyway: Wine's input-method support "
        f"initialises COM on the thread when a window is activated, so the first start (window shown) "
        f"loads it in the minimal program too.")
    lines.append(
        f"- **After TrimWorkingSet** the figures do not move"
        f"{'' if trimmed else ' much'}: Wine's `SetProcessWorkingSetSize(-1, -1)` succeeds without "
        f"releasing anything, and the private pages it would release on Windows are still counted by "
        f"Linux. The trim is measured so that a later Wine, or a run on Windows, shows the difference.")
    lines.append(
        f"- **Start-up.** The same DLL set costs {dll_tray - ref_tray:+.0f} ms to the tray icon "
        f"({ratio(dll_tray, ref_tray):.2f}×) and {dll_win - ref_win:+.0f} ms to the painted window. The rest, "
        f"{q_tray - dll_tray:+.0f} ms to the tray icon and {q_win - dll_win:+.0f} ms to the painted window, is "
        f"Quorlin's own start-up: the settings window with its {control_count(r)} controls (made at start, "
        f"hidden or not, because the design creates the window's components in its constructor), the "
        f"tray icon's updates (each a call into explorer), reading the settings and the first paint of "
        f"the controls. Under Wine every window costs several round trips to the wineserver, which "
        f"shares the one core with everything else.")
    lines.append(
        "- **What could move after the first paint.** Every step before it was timed with markers while "
        "this was investigated. The big ones are the window's controls and the tray icon's calls into "
        "explorer; the first paint draws the controls, and the tray icon is the other half of the figure. "
        "The rest is small and feeds the first paint or the tray icon's first tip: the touchpad driver "
        "(whether the touchpad controls are enabled; without the driver now one registry look-up and no "
        "COM), the settings (what the controls show and which image and tip the icon gets), the key "
        "captions (the shortcut fields and the tip). Measured again with markers on a tray start: after "
        "the icon is added, reading and applying the settings take most of the rest; the logon entry "
        "(under 1 ms) and the start balloon (one call into explorer) come after the icon's image and tip "
        "are final, so moving them behind the first message would not bring the icon sooner. Moving the "
        "rest would change what the first paint shows or the order of start-up that the program relies "
        "on, so it stays. What did change: COM is gone from a start without the driver (above), the main "
        "loop waits with `GetMessage` (see Hooks), and the executable is smaller and page-aligned in "
        "the file (see Executable). Wine reads the sections of an image that is aligned to 512 bytes in "
        "its file into private pages, so before, every KiB of `Quorlin.exe` was also a KiB of private "
        "memory: measured while this was changed, 7212 KiB after start-up with the old executable "
        "(1.37 MiB with symbols), 6976 stripped, 6648 at the new size and 6184 with the sections "
        "aligned to pages in the file, which Wine maps from the file instead.")
    return "\n".join(lines)


def control_count(r):
    tr = r.get("trace", {}).get("quorlin", [])
    return max(0, sum(1 for ms, label in tr if label.startswith("window ") and is_control(label)))


def is_control(label):
    cls = label.split(" ", 1)[1]
    return cls.split("->")[0].upper() in ("BUTTON", "STATIC", "EDIT", "COMBOBOX", "COMBOLBOX", "TOOLTIPS_CLASS32")


def trace(r):
    tr = r["trace"]
    out = ["### Where the time goes (one traced tray start each)", "",
           "`WINEDEBUG=+timestamp,+pid,+loaddll,+win,+process`; milliseconds after `CreateProcess`. Tracing "
           "slows every step, so only the order and the proportions count. Traced totals (idle and tray "
           f"icon): Quorlin {max(tr['traced_ms']['quorlin'].values()):.0f} ms, TrayRef "
           f"{max(tr['traced_ms']['reference'].values()):.0f} ms.", ""]
    for key, label in (("quorlin", "Quorlin.exe"), ("reference", "TrayRef")):
        events = tr[key]
        dlls = [f"{label_dll(l)} {ms:.0f}" for ms, l in events if l.startswith("load ")]
        windows = [(ms, l[7:]) for ms, l in events if l.startswith("window ")]
        controls = [w for w in windows if is_control("window " + w[1])]
        tops = [f"{cls.split('->')[0]} {ms:.0f}" for ms, cls in windows if not is_control("window " + cls)]
        out.append(f"- **{label}** DLLs: " + ", ".join(dlls) + ".")
        if tops:
            out.append(f"  Windows: " + ", ".join(tops) + ".")
        if controls:
            out.append(f"  {len(controls)} controls from {controls[0][0]:.0f} to {controls[-1][0]:.0f} ms.")
    out += ["", controls_note(tr)]
    return "\n".join(out)


CONTROLS_BAR = 0.10  # what making the controls at first show must save to be worth the change


def controls_note(tr):
    """What creating the hidden settings window's controls at its first show would save on a tray
    start: the span in which the traced start makes them, against the traced start's total."""
    windows = [ms for ms, l in tr["quorlin"] if l.startswith("window ") and is_control(l)]
    total = max(tr["traced_ms"]["quorlin"].values())
    if not windows or not total:
        return ""
    span = windows[-1] - windows[0]
    share = span / total
    decision = ("above the bar of 10 %: worth making them at the first show" if share > CONTROLS_BAR else
                "below the bar of 10 %, so the controls are still made at start, where the design's load "
                "order (components before `FormCreate`) puts them")
    return (f"**Controls at first show.** On the traced tray start the {len(windows)} controls of the hidden "
            f"settings window take {span:.0f} ms of {total:.0f} ms ({share:.0%}); creating them only when "
            f"the window is first shown would save about that much of a tray start: {decision}.")


def label_dll(label):
    return label[5:].replace(".dll", "").replace(".drv", ".drv")


def hooks(r):
    hk = r["hooks"]
    names = {"null": "do-nothing hooks", "quorlin_pass": "Quorlin, events pass",
             "quorlin_swallow": "Quorlin, events swallowed",
             "smart_pass": "Quorlin + smart options, pass", "smart_swallow": "Quorlin + smart options, swallowed",
             "typing_pass": "Quorlin + typing-aware interval, pass",
             "typing_swallow": "Quorlin + typing-aware interval, swallowed",
             "external": "Quorlin + external-device options",
             "rules_pass": "Quorlin + a rule for another program, pass",
             "rule_in_force": "Quorlin + \"clicks only\" in front, moves pass"}
    by = {}
    for b in hk["blocks"]:
        by.setdefault(b["config"], []).append(b)
    null = med([b["corrected_ns_per_event"] for b in by["null"]])
    rows = []
    for config, blocks in by.items():
        corr = [b["corrected_ns_per_event"] / 1000 for b in blocks]
        raw = [b["cpu_ns_per_event"] / 1000 for b in blocks]
        drv = [b["driver_ns_per_event"] / 1000 for b in blocks]
        wall = [b["wall_ms"] * 1000 / b["events"] for b in blocks]
        rows.append([names.get(config, config), rng(corr), f"{med(corr) * 1000 / null:.3f}", rng(raw), rng(drv),
                     f"{med(wall):.0f}"])
    return "\n".join([
        "## Hooks", "",
        table(["Configuration", "CPU/event, corrected (µs)", "ratio", "CPU/event, raw (µs)", "driver CPU/event (µs)",
               "wall time/event (µs)"], rows), "",
        "\"Smart options\": `PauseFullScreen`, `IgnoreShortcutKeys` and `IgnoreHeldKeys` stored as 1 before "
        "start (the smart-blocking options; a build without them ignores the values).",
        "",
        "Almost all of the cost is Wine's: the low-level hooks are called by a message from the wineserver, "
        "and the decision itself takes nanoseconds (the native figures in the summary). What Quorlin "
        "controls is how its thread waits for those messages. It used to wait with `WaitMessage` and then "
        "take messages with `PeekMessage` (the loop of `TApplication::ProcessMessage`), which costs "
        "several microseconds more per event under Wine than the `GetMessage` of the do-nothing hooks "
        "(measured while the change was made: about 42 against 35 µs per event while events pass, "
        "1.20×); the main loop now waits and takes in one `GetMessage` and handles the message exactly "
        "as before. Swallowing is cheaper than passing for the hooking process: a swallowed event skips "
        "`CallNextHookEx`, another call into the wineserver, and only a swallowed press that is counted "
        "posts a message to the window (a swallowed move or wheel turn posts nothing).",
        "",
        "**Resident hook path.** The two hook procedures (`.text$quorlin_hook_b`), the `BlockerState` record "
        "(`.data$quorlin_hook_b`) and the import address table they call through are locked with "
        "`VirtualLock` when the hooks are first installed (`src/blocker/HookPages_win.cpp`); the procedures "
        "are flattened, so nothing they call lies outside the locked code except the system's DLLs. "
        "`tests/win/InputHooks_test.cpp` checks that the locked ranges cover both procedures, the whole "
        "record and the import slots; `VmLck` in the memory table is what Linux reports as locked for "
        "Quorlin (Wine carries `VirtualLock` out with `mlock`). The allocation test there runs both "
        "procedures 20 000 times and real input through the installed hooks with a counting "
        "`operator new` and finds no allocation.",
    ])


def scaling(r):
    sc = r["scaling"]
    rows = []
    for rate in sorted(sc["delay"], key=lambda x: int(x)):
        q = sc["cost"].get("quorlin", {}).get(rate) or sc["cost"].get("quorlin", {}).get(str(rate))
        n = sc["cost"].get("null", {}).get(rate) or sc["cost"].get("null", {}).get(str(rate))
        d = sc["delay"][rate]
        rows.append([rate, f"{q['achieved_rate']:.0f}", f"{q['cpu_us_per_event']:.1f}", f"{n['cpu_us_per_event']:.1f}",
                     f"{ratio(q['cpu_us_per_event'], n['cpu_us_per_event']):.2f}", d["presses"],
                     f"{d['median_ms']:.2f}", f"{d['max_ms']:.2f}"])
    return "\n".join([
        "## Scaling", "",
        table(["events/s", "achieved", "Quorlin CPU/event (µs)", "do-nothing hooks (µs)", "ratio",
               "swallowed presses timed", "median delay (ms)", "longest delay (ms)"], rows), "",
        "At low rates the CPU per event includes what every event costs on its own (the process wakes up "
        "for each one) and whatever the process does while idle, spread over few events. Unlike the "
        "do-nothing hooks, Quorlin also does its work for each swallowed press (one event in ten): it "
        "counts it and, with \"Beep when click is blocked\" on as by default, calls `MessageBeep`. The delay is the time until the "
        "settings window has counted a swallowed press: it stays at one or two round trips of the "
        "driver's `WM_GETTEXT` and does not grow with the rate or over the run, so the blocked-event "
        "messages never queue up behind one another."])


LATENCY_LABELS = {"idle": "idle", "report": "a report waits for a server that never answers",
                  "link": "a link opens (the settings window's website link)",
                  "touchpad": "the touchpad driver answers slowly (its hotkey)"}


def latency(r):
    la = r["latency"]
    rows = [[LATENCY_LABELS.get(name, name), f"{v['median_ms']:.2f}", f"{v['p90_ms']:.2f}", f"{v['max_ms']:.2f}"]
            for name, v in la["situations"].items()]
    return "\n".join([
        "## Input latency while Quorlin is busy", "",
        f"{la['moves']} zero-length moves, one every 5 ms, each timed from before `SendInput` to its return, "
        "which waits for every low-level hook of the desktop to answer. A fresh Quorlin for each situation; "
        f"the driver double takes {la['touchpad_call_ms']} ms for every call.", "",
        table(["while", "median (ms)", "90th percentile (ms)", "longest (ms)"], rows), "",
        "The hooks run on a thread of their own that only takes messages, so nothing the program's "
        "window thread waits for (the report's server, the shell opening a link, the touchpad driver) "
        "holds up an input event."])


def soak(r, curves):
    out = ["## Memory under continuous input"]
    sk = r.get("soak")
    if sk:
        c = sk["curve"]
        rows = [[f"{s['t']:.0f}", s["events"], s["RssAnon"], s["VmRSS"], f"{s['cpu_s']:.1f}"] for s in c]
        points = [(x["t"], x["RssAnon"]) for x in c[1:]]
        out += ["", f"This run (`bench/run.py --parts soak --soak {sk['seconds']:.0f}`): Quorlin hidden in the "
                f"tray, {sk['rate']} events per second (the scaling cycle, so a tenth are swallowed presses). "
                f"Private memory under input: {growth_text(points)} (KiB).", "",
                table(["s", "events", "RssAnon (KiB)", "VmRSS (KiB)", "CPU (s)"], rows)]
        out += ["", f"`make bench` runs {sk['seconds']:.0f} s so that the whole run stays under ten minutes; the "
                "ten-minute curve below was recorded with `python3 bench/run.py --parts soak --soak 600` "
                "(which writes `docs/perf/soak-600s.csv`); `make bench` shows every curve it finds there."]
    for cv in curves:
        rows = cv["rows"]
        if not rows:
            continue
        points = [(float(x["seconds"]), int(x["RssAnon_kB"])) for x in rows[1:]]
        out += ["", f"**`{cv['file']}`** — {cv['head']}. Private memory under input: {growth_text(points)} (KiB).",
                "",
                "RssAnon (KiB) over time: " + sparkline([int(x["RssAnon_kB"]) for x in rows]), "",
                table(["s", "events", "RssAnon (KiB)", "VmRSS (KiB)", "CPU (s)"],
                      [[x["seconds"], x["events"], x["RssAnon_kB"], x["VmRSS_kB"], x["cpu_s"]] for x in rows])]
    out += ["", "A step like the one in the recorded curve is Quorlin's first minutes tick (one to five "
            "minutes after start): with online features on, as by default, it sends the first usage report "
            "then, and loading WinHTTP (its DLL, what that imports, and its threads) takes about 1.8 MiB once. "
            "Checked by starting a second instance, which runs the same tick in the first one: +2000 KiB "
            "with online features on, +172 KiB with them off (the settings window it opens). After the step "
            "the curve stays flat: memory does not grow with input."]
    return "\n".join(out)


def sparkline(values):
    lo, hi = min(values), max(values)
    bars = "▁▂▃▄▅▆▇█"
    if hi == lo:
        return "`" + bars[0] * len(values) + f"` (flat at {lo})"
    return "`" + "".join(bars[int((v - lo) * 7 / (hi - lo))] for v in values) + f"` ({lo}–{hi})"


def sizes(r):
    s = r["sizes"]
    rows = [[name, f"{size / KIB:.1f}"] for name, size in s["files"].items()]
    sec = s.get("sections", {})
    srows = [[name, f"{size / KIB:.1f}"] for name, size in sec.items()]
    return "\n".join([
        "## Executable", "",
        table(["File", "KiB"], rows), "",
        "Sections of `Quorlin.exe` (KiB): " + ", ".join(f"{n} {v}" for n, v in srows) + ".", "",
        "The release build is optimised for size (`-Os`), puts each function and object in a section of "
        "its own (`-ffunction-sections -fdata-sections`) so that `--gc-sections` drops what nothing "
        "references, strips the symbols (`-s`) and aligns the sections to pages in the file as in memory "
        "(`--file-alignment=4096`, some KiB more on disk, much less private memory under Wine: see "
        "Start-up); `cmake/check-size.cmake` fails the build (and removes "
        f"the file) above {s['limit'] // KIB} KiB. Two parts of the libraries were pulled in for a few calls and "
        "are gone: the C++ library's default terminate handler with its name demangler (about 45 KiB; "
        "`src/ui/Main_win.cpp` replaces it with one that ends the program, which is all a windowed program "
        "can do there), and MinGW's printf formatter with its floating-point conversion (about 40 KiB) for "
        "four numbers (`src/base/Decimal.h`). The application icon stores its 64- and 128-pixel frames as "
        "PNG like the 256-pixel one (`scripts/make_icons.py`; Windows Vista and later read PNG frames of "
        "any size), which saves 80 KiB of uncompressed bitmaps. Before: 1.37 MiB with symbols, 772 KiB "
        "stripped."])


def inputdelay(r):
    text = r["inputdelay"].strip()
    if not text:
        return ""
    return "\n".join(["## Input delay while Quorlin starts", "",
                      "`bench/StartInputDelay.cpp` (zero-length moves injected every millisecond while "
                      f"Quorlin starts, each `SendInput` timed; {r['args']['inputdelay_runs']} starts each):", "",
                      "```", text, "```"])


# ---------------------------------------------------------------- idle


IDLE_LABELS = {"reference": "TrayRef (minimal)", "quorlin": "Quorlin.exe",
               "quorlin_fullscreen": "Quorlin.exe, \"Pause in full-screen programs\" on"}


IDLE_ROW_LABELS = {"quorlin": "At rest, window hidden: wake-ups / CPU per minute",
                   "quorlin_fullscreen": "… with \"Pause in full-screen programs\" on"}


def idle_rows(r):
    """The summary's idle rows: Quorlin at rest beside the minimal program (no target ratio: a
    program that does not wake has nothing to divide)."""
    idle_r = r.get("idle")
    if not idle_r:
        return []
    p = idle_r["programs"]
    ref = p["reference"]
    rows = []
    for key in ("quorlin", "quorlin_fullscreen"):
        if key not in p:
            continue
        q = p[key]
        rows.append([IDLE_ROW_LABELS[key],
                     f"{q['wakeups_per_min']:.0f} / {q['cpu_ms_per_min']:.1f} ms",
                     f"{ref['wakeups_per_min']:.0f} / {ref['cpu_ms_per_min']:.1f} ms", "–", "own timers only", "measured",
                     "`bench/run.py --parts idle`"])
    return rows


def idle(r):
    idle_r = r["idle"]
    p = idle_r["programs"]
    x, y = idle_r["pointer"]
    rows = [[IDLE_LABELS[k], f"{v['wakeups_per_min']:.0f}", f"{v['cpu_ms_per_min']:.1f}"] for k, v in p.items()]
    return "\n".join([
        "## At rest", "",
        f"Each program started with its window hidden, left {idle_r['seconds']:.0f} s after a 3 s settling time "
        f"with no input and the pointer parked at ({x}, {y}), away from every window: Wine's themed check "
        "boxes wake their program about 1000 times a second while the pointer rests on one, in a minimal "
        "program too. Wake-ups are the context switches of all the process's threads "
        "(`/proc/PID/task/*/status`), CPU time from `schedstat`; both per minute. Under Wine every call into "
        "the wineserver is a context switch of its own, so one timer tick that asks the system a few questions "
        "counts a dozen or more.", "",
        table(["Program", "wake-ups per minute", "CPU per minute (ms)"], rows), "",
        "Quorlin's own timers are the minutes timer (one to five minutes, fixed for the run, so it may not "
        "fire within the measured time) and, only with \"Pause in full-screen programs\" on, a one-second "
        "check of the foreground window while the system reports no change of it. Whatever else shows is "
        "what Wine does for any program with a window and a tray icon, as the minimal program's figure shows."])
