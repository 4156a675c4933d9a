#!/usr/bin/env python3
"""Writes docs/performance.md from the JSON output of the benchmark programs.

Usage: performance_report.py --control JSON... --scripts JSON --launch-plan JSON
           [--game-finding JSON] --load-before LOAD --load-after LOAD [--notes FILE]
           [--archive JSON --archive-load TEXT]
           [--before JSON... --before-revision TEXT [--load-during LOAD...]] > docs/performance.md

A JSON file holds either the median aggregates of a program's repetitions or single
repetitions; single repetitions spread over several files (one process each) are pooled and
their median taken. With --before, the n-th "before" file is paired with the n-th control
file: the two ran one right after the other, under the same load.
"""
import argparse
import json
import re
import statistics
import sys

SIZES = [100, 1000, 10000, 50000]
OPERATIONS = [
    ("SqliteFloor", "floor: bare SQLite loop over the section"),
    ("GetAllSettings", "GetAllSettings, file unchanged since the last read"),
    ("GetAllSettingsAfterOtherProgramWrote", "GetAllSettings after another program's commit"),
    ("OpenStore", "opening the store (first key read)"),
    ("StartUp", "control start-up, names list filled"),
    ("LoadDefinition", "loading one definition"),
    ("SaveEditedDefinition", "saving an edited stored definition"),
    ("SaveNewDefinition", "saving a new definition"),
    ("DeleteDefinition", "deleting a definition"),
]
SCRIPT_TEXTS = [("OneHugeLine", "one huge line"), ("ShortLines", "short lines"),
                ("KeywordLines", "a directive on every line")]
LAUNCH_PLAN = "BM_PlanForALaunch"
# The identification of a main group and its floor, in the page cache and read cold.
GAME_READS = [("warm", "in the page cache"), ("cold", "read cold (caches dropped)")]
# A median more than this much above the one before is named below the comparison.
SLOWER = 1.10


def read_run(path):
    """One program run: its context, its median aggregates and its single repetitions by
    benchmark (real and CPU milliseconds), and the benchmarks that failed."""
    with open(path) as f:
        data = json.load(f)
    aggregates, repetitions, failed = {}, {}, set()
    for b in data["benchmarks"]:
        # A fixed iteration count (the cold reads) is no part of what a benchmark measures.
        b["run_name"] = re.sub(r"/iterations:\d+$", "", b["run_name"])
        if b.get("error_occurred"):
            failed.add(b["run_name"])
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        times = (b["real_time"] * scale, b["cpu_time"] * scale)
        if b.get("run_type") == "aggregate":
            if b.get("aggregate_name") == "median":
                aggregates[b["run_name"]] = (times, b.get("repetitions", 0))
        else:
            repetitions.setdefault(b["run_name"], []).append(times)
    return data["context"], aggregates, repetitions, failed


def median_times(samples):
    return (statistics.median(t[0] for t in samples), statistics.median(t[1] for t in samples))


class Results:
    """The medians of one benchmark program over one or more of its runs."""

    def __init__(self, paths):
        self.context = {}
        self.medians = {}
        self.repetitions = {}
        self.failed = set()
        # Per run, its own median of each benchmark, for pairing runs made side by side.
        self.runs = []
        pooled = {}
        for path in paths:
            context, aggregates, repetitions, failed = read_run(path)
            self.context = self.context or context
            self.failed |= failed
            run = {name: median_times(samples) for name, samples in repetitions.items()}
            run.update({name: times for name, (times, _) in aggregates.items()})
            self.runs.append(run)
            for name, samples in repetitions.items():
                pooled.setdefault(name, []).extend(samples)
            for name, (times, count) in aggregates.items():
                self.medians[name] = times
                self.repetitions[name] = count
        for name, samples in pooled.items():
            if name not in self.medians:
                self.medians[name] = median_times(samples)
                self.repetitions[name] = len(samples)

    def get(self, name):
        return self.medians.get(name)

    def real(self, name):
        v = self.medians.get(name)
        return v[0] if v else None

    def cpu(self, name):
        v = self.medians.get(name)
        return v[1] if v else None


def ms(value):
    if value is None:
        return "–"
    if value >= 100:
        return f"{value:.0f} ms"
    if value >= 10:
        return f"{value:.1f} ms"
    if value >= 1:
        return f"{value:.2f} ms"
    return f"{value:.3f} ms"


def ratio(a, b):
    return a / b if a is not None and b else None


def fmt_ratio(r):
    return "–" if r is None else f"{r:.2f}×"


def write_comparison(w, before, after, arguments):
    turns = min(len(before.runs), len(after.runs))
    w("## Before and after the change")
    w("")
    w(f"\"Before\" is revision {arguments.before_revision};")
    w(f"\"after\" is {arguments.after_revision}.")
    w("Both were built in Release with the same options. Their control benchmark programs ran")
    w(f"turn about in one session, {turns} turns each, one repetition of every benchmark per turn")
    w("(which of the two went first alternated), so that other work on the machine weighed on")
    w("both alike. The floor runs no Ostrel code: its ratio shows how far the machine alone set")
    w("the two apart. The last column gives the middle half of the ratios of the two turns of")
    w("each pair, which shows how much one pair of turns can differ from another.")
    if arguments.load_during:
        loads = sorted(float(v) for v in arguments.load_during)
        w(f"One-minute load average between the turns: {loads[0]:.2f} to {loads[-1]:.2f}.")
    w("")
    w("| operation | definitions | before | after | after/before | CPU time after/before "
      "| after/before, turn by turn (quartiles) |")
    w("|---|---|---|---|---|---|---|")
    slower = []
    for op, label in OPERATIONS:
        for n in SIZES:
            name = f"{op}/{n}"
            wall = ratio(after.real(name), before.real(name))
            cpu = ratio(after.cpu(name), before.cpu(name))
            paired = [a[name][0] / b[name][0] for b, a in zip(before.runs, after.runs)
                      if name in a and name in b and b[name][0]]
            spread = "–"
            if len(paired) >= 2:
                low, _, high = statistics.quantiles(paired, n=4, method="inclusive")
                spread = f"{low:.2f}–{high:.2f}"
            w(f"| {label} | {n:,} | {ms(before.real(name))} | {ms(after.real(name))} | {fmt_ratio(wall)} "
              f"| {fmt_ratio(cpu)} | {spread} |")
            if wall is not None and wall > SLOWER:
                slower.append(f"{label} at {n:,} definitions ({fmt_ratio(wall)}, CPU time {fmt_ratio(cpu)})")
    w("")
    if slower:
        w(f"Medians more than {SLOWER:.2f} times those before, in wall-clock time: " + "; ".join(slower) + ".")
    else:
        w(f"No median of wall-clock time was more than {SLOWER:.2f} times the one before.")
    w("")


def write_game_finding(w, results, target):
    """The section on finding and identifying the installed game, and its targets."""
    w("## Finding and identifying the game")
    w("")
    w("Identifying a main group of 44,356,548 bytes (the Atomic Edition's size and CRC-32, made")
    w("of random bytes) against the floor, a plain one-pass read of the same file through zlib's")
    w("`crc32` with a 128 KiB buffer, timed in the same run: with the file in the page cache, and")
    w("read cold, every cache of the machine dropped before each read (as root only).")
    w("")
    w("| | floor | identifying | identifying / floor |")
    w("|---|---|---|---|")
    for key, label in GAME_READS:
        floor = results.real(f"BM_CrcReadFloor/{key}")
        identify = results.real(f"BM_IdentifyMainGroup/{key}")
        if floor is None and identify is None:
            w(f"| {label} | not measured | not measured | – |")
            target(f"identifying a 44 MB main group, {label}", "≤ 1.2× floor", "not measured", None)
            continue
        r = ratio(identify, floor)
        w(f"| {label} | {ms(floor)} | {ms(identify)} | {fmt_ratio(r)} |")
        target(f"identifying a 44 MB main group, {label}", "≤ 1.2× floor", fmt_ratio(r), r is not None and r <= 1.2)
    w("")
    at_start = results.real("BM_RememberedAtStartUp")
    remembered = results.real("BM_Remembered")
    find = results.real("BM_FindInstalls")
    w("A remembered identification checks the file's size and modification time only; at")
    w("start-up the cache file is read first. Finding the installs searches a home with the")
    w("native Steam (reached by two names) and its 10 libraries of 200 games each (one holding")
    w("the Megaton Edition, another the World Tour), a GOG install and 100 desktop entries; the")
    w("main groups are remembered.")
    w("")
    w("| | wall clock | CPU time |")
    w("|---|---|---|")
    w(f"| a remembered identification, at start-up | {ms(at_start)} | {ms(results.cpu('BM_RememberedAtStartUp'))} |")
    w(f"| a remembered identification, afterwards | {ms(remembered)} | {ms(results.cpu('BM_Remembered'))} |")
    w(f"| finding the installs, 10 Steam libraries of 200 games | {ms(find)} | {ms(results.cpu('BM_FindInstalls'))} |")
    w("")
    target("a remembered identification, at start-up", "< 1 ms", ms(at_start), at_start is not None and at_start < 1)
    target("finding the installs, 10 Steam libraries of 200 games", "< 50 ms", ms(find), find is not None and find < 50)


ARCHIVE_PREVIEW = "BM_PreviewOfA100MbZip"
ARCHIVE_ADD = "BM_AddA100MbZipAgainstBsdtar"


def write_archive_section(w, path, load):
    """Adding a TC from an archive, from ostrel_bench_archive's JSON output (one run; the add
    and bsdtar take turns inside each iteration, so the ratio comes from the same run)."""
    with open(path) as f:
        data = json.load(f)
    runs = [b for b in data["benchmarks"] if b.get("run_type") != "aggregate"]

    def named(name):
        # Run names carry the benchmark's options ("/real_time", "/iterations:4/manual_time").
        return next((b for b in runs if b["run_name"].split("/")[0] == name), None)

    preview, add = named(ARCHIVE_PREVIEW), named(ARCHIVE_ADD)
    scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}
    preview_ms = preview["real_time"] * scale[preview["time_unit"]] if preview and not preview.get("error_occurred") else None
    add_ms = add["real_time"] * scale[add["time_unit"]] if add and not add.get("error_occurred") else None
    bsdtar_ms = add.get("bsdtar_ms") if add_ms is not None else None
    over = add.get("add_over_bsdtar") if add_ms is not None else None
    context = data["context"]
    w("## Adding a TC from an archive")
    w("")
    size = f"{preview['zip_mb']:.0f} MB" if preview and "zip_mb" in preview else "100 MB"
    w(f"`ostrel_bench_archive`: a {size} zip of 500 files (deflate; random bytes with a run of zeros")
    w("in every 16 KiB, so it packs to about 94 %, as game data does), made once in a temporary folder.")
    w("The preview lists the archive and works out the TC, writing nothing. Adding it unpacks into a")
    w("hidden folder, flushes every file and folder to disk, renames the folder into place and saves the")
    w("definition (in a memory store). In every iteration `bsdtar -xf` unpacks the same archive into the")
    w("same file system too, the two taking turns to go first; bsdtar flushes nothing.")
    w(f"Run of {context.get('date', '?')}; load average {load}.")
    w("")
    w("| | wall clock (mean of the iterations) | iterations |")
    w("|---|---|---|")
    w(f"| preview (listing and inspection) | {ms(preview_ms)} | {preview.get('iterations', '–') if preview else '–'} |")
    w(f"| adding the TC | {ms(add_ms)} | {add.get('iterations', '–') if add else '–'} |")
    w(f"| `bsdtar -xf` of the same archive | {ms(bsdtar_ms)} | {add.get('iterations', '–') if add else '–'} |")
    w("")
    w("| what | target | measured | met |")
    w("|---|---|---|---|")
    met = preview_ms is not None and preview_ms < 100
    w(f"| the preview of a 100 MB zip of 500 files | < 100 ms | {ms(preview_ms)} | {'yes' if met else '**no**'} |")
    met = over is not None and over <= 1.3
    w(f"| adding it, against `bsdtar -xf` in the same run | ≤ 1.3× | {fmt_ratio(over)} | {'yes' if met else '**no**'} |")
    w("")


def write_startup(w, path, target):
    """quillon's whole start against a bare Qt Widgets window, from ostrel_bench_startup's JSON."""
    with open(path) as f:
        data = json.load(f)
    w("## Starting quillon")
    w("")
    w("`ostrel_bench_startup`: `quillon --store STORE --quit-after 0` on a store of 100 TC definitions,")
    w("in an empty home (no Steam, no GOG, no engine), against `ostrel_bench_bare_window` (an application,")
    w("a main window with a label, the event loop), both whole processes on the offscreen platform,")
    w(f"taking turns in {data['pairs']} pairs after one run of each that is not counted. The ratio is taken")
    w("pair by pair; its median is the figure.")
    w("")
    w("| | wall clock (median) |")
    w("|---|---|")
    w(f"| quillon, start → window → quit | {ms(data['quillon_ms'])} |")
    w(f"| bare Qt Widgets window | {ms(data['bare_ms'])} |")
    w(f"| ratio, pair by pair (median; least – most) | {data['ratio']:.2f}× ({data['ratio_min']:.2f}–{data['ratio_max']:.2f}) |")
    w("")
    target("quillon's whole start, 100 TCs, against a bare window", "≤ 1.5×", fmt_ratio(data["ratio"]),
           data["ratio"] <= 1.5)


def parse_arguments():
    parser = argparse.ArgumentParser(description="Writes docs/performance.md to standard output.")
    parser.add_argument("--control", nargs="+", required=True, help="ostrel_bench_control's JSON output")
    parser.add_argument("--scripts", required=True, help="ostrel_bench_scripts' JSON output")
    parser.add_argument("--launch-plan", required=True, help="ostrel_bench_launch_plan's JSON output")
    parser.add_argument("--game-finding", help="ostrel_bench_game_finding's JSON output")
    parser.add_argument("--load-before", required=True, help="/proc/loadavg before the run")
    parser.add_argument("--load-after", required=True, help="/proc/loadavg after the run")
    parser.add_argument("--notes", help="Markdown appended to the report")
    parser.add_argument("--archive", help="ostrel_bench_archive's JSON output")
    parser.add_argument("--startup", help="ostrel_bench_startup's JSON output")
    parser.add_argument("--archive-load", default="", help="/proc/loadavg before and after ostrel_bench_archive")
    parser.add_argument("--before", nargs="+", default=[],
                        help="the JSON output of the revision before's control benchmark, run by run")
    parser.add_argument("--before-revision", default="", help="which revision the --before runs are of")
    parser.add_argument("--after-revision", default="the code this report was written from",
                        help="which revision the --control runs are of")
    parser.add_argument("--load-during", nargs="*", default=[],
                        help="one-minute load averages taken between the turns of a --before comparison")
    arguments = parser.parse_args()
    if arguments.before and not arguments.before_revision:
        parser.error("--before needs --before-revision")
    return arguments


def main():
    arguments = parse_arguments()
    control = Results(arguments.control)
    scripts = Results([arguments.scripts])
    launch_plan = Results([arguments.launch_plan])
    game_finding = Results([arguments.game_finding]) if arguments.game_finding else None
    before = Results(arguments.before) if arguments.before else None
    context = control.context
    load_before, load_after = arguments.load_before, arguments.load_after

    def real(op, n):
        return control.real(f"{op}/{n}")

    def cpu(op, n):
        return control.cpu(f"{op}/{n}")

    out = []
    w = out.append
    w("# Performance")
    w("")
    w("Written by `tools/run-benchmarks.sh` from a Release build of the benchmark programs in")
    programs = "`ostrel_bench_control`, `ostrel_bench_scripts`, `ostrel_bench_launch_plan`"
    if arguments.game_finding:
        programs += ", `ostrel_bench_game_finding`"
    if arguments.archive:
        programs += ", `ostrel_bench_archive`"
    w(f"`bench/` ({programs});")
    if before:
        w("every figure is the median of the repetitions of one run, those of the control each in a")
        w("process of its own, turn about with the revision before (see \"Before and after the")
        w(f"change\"). Run of {context.get('date', '?')} on {context.get('num_cpus', '?')} CPUs")
    else:
        w("every figure is the median of the repetitions of one run.")
        w(f"Run of {context.get('date', '?')} on {context.get('num_cpus', '?')} CPUs")
    w(f"at {context.get('mhz_per_cpu', '?')} MHz; load average {load_before} before the run and {load_after} after it.")
    w("")
    w("Each store holds the given number of TC definitions (a version, a name, a group file, a")
    w("game con, a text file and two other files each: seven keys in \"DefinedTCs\"). The")
    w("control runs on the offscreen platform with recording fakes for dialogs and message")
    w("boxes; the store is a real SQLite file with durable commits (`synchronous = FULL`).")
    w("")
    failed = sorted(control.failed | scripts.failed | launch_plan.failed | (before.failed if before else set())
                    | (game_finding.failed if game_finding else set()))
    if failed:
        w("**Benchmarks that stopped with an error in this run** (their figures are missing or")
        w("rest on fewer repetitions): " + ", ".join(f"`{name}`" for name in failed) + ".")
        w("")
    w("## Wall-clock time (median) and ratio to the floor")
    w("")
    w("The floor is the least any read of the section can cost: the store's own query,")
    w("stepped through with each key and value copied out as UTF-8 into `std::string`.")
    w("")
    def size_table(size_label, value, cell):
        w("| operation | " + " | ".join(size_label(n) for n in SIZES) + " | 1,000 → 10,000 | 10,000 → 50,000 |")
        w("|---|" + "---|" * len(SIZES) + "---|---|")
        for op, label in OPERATIONS:
            cells = [cell(op, n) for n in SIZES]
            cells.append(fmt_ratio(ratio(value(op, 10000), value(op, 1000))))
            cells.append(fmt_ratio(ratio(value(op, 50000), value(op, 10000))))
            w(f"| {label} | " + " | ".join(cells) + " |")

    def real_cell(op, n):
        if op == "SqliteFloor":
            return ms(real(op, n))
        return f"{ms(real(op, n))} ({fmt_ratio(ratio(real(op, n), real('SqliteFloor', n)))})"

    size_table(lambda n: f"{n:,} definitions", real, real_cell)
    w("")
    w("## CPU time of the measuring thread (median)")
    w("")
    w("Other work on the machine stretches wall-clock time; CPU time shows what the code")
    w("itself costs. It leaves out waiting for the disk (a durable commit waits for several")
    w("`fsync` calls) and the integrity check, which runs on a thread of its own.")
    w("")
    size_table(lambda n: f"{n:,}", cpu, lambda op, n: ms(cpu(op, n)))
    w("")
    if before:
        write_comparison(w, before, control, arguments)
    w("## Reading scripts")
    w("")
    w("| text | 1 MiB | 2 MiB | 2 MiB / 1 MiB |")
    w("|---|---|---|---|")
    script_rows = []
    for key, label in SCRIPT_TEXTS:
        one_ms = scripts.real(f"readScript/{key}/1")
        two_ms = scripts.real(f"readScript/{key}/2")
        script_rows.append((label, one_ms, two_ms))
        w(f"| {label} | {ms(one_ms)} | {ms(two_ms)} | {fmt_ratio(ratio(two_ms, one_ms))} |")
    w("")

    plan_ms = launch_plan.real(LAUNCH_PLAN)
    w("## Planning a launch")
    w("")
    w("What the host works out before it shows a launch's preview: the TC's group directory")
    w("read from a 44 MB group file of 3,000 members, a game directory of 1,000 files listed")
    w("(300 of them the group's member names in another case) and the clean-up plan made from")
    w("both (300 steps). The group file is sparse: only its directory is read, as for a real one.")
    w("")
    w("| | wall clock | CPU time | repetitions |")
    w("|---|---|---|---|")
    w(f"| the plan for a launch (median) | {ms(plan_ms)} | {ms(launch_plan.cpu(LAUNCH_PLAN))} "
      f"| {launch_plan.repetitions.get(LAUNCH_PLAN, '–')} |")
    w("")
    game_targets = []
    if game_finding:
        write_game_finding(w, game_finding, lambda *row: game_targets.append(row))

    if arguments.archive:
        write_archive_section(w, arguments.archive, arguments.archive_load)
    startup_targets = []
    if arguments.startup:
        write_startup(w, arguments.startup, lambda *row: startup_targets.append(row))

    targets = []

    def target(what, goal, measured, met):
        targets.append((what, goal, measured, met))

    v = real("LoadDefinition", 10000)
    target("loading, 10,000 definitions", "≤ 5 ms", ms(v), v is not None and v <= 5)
    v = real("StartUp", 10000)
    target("start-up, 10,000 definitions", "≤ 100 ms", ms(v), v is not None and v <= 100)
    v = real("SaveEditedDefinition", 10000)
    target("saving an edited definition, 10,000 definitions", "≤ 25 ms", ms(v), v is not None and v <= 25)
    for op in ("GetAllSettings", "GetAllSettingsAfterOtherProgramWrote"):
        r = ratio(real(op, 10000), real("SqliteFloor", 10000))
        label = dict(OPERATIONS)[op]
        target(f"{label}, 10,000 definitions", "≤ 1.5× floor", fmt_ratio(r), r is not None and r <= 1.5)
    for op, label in OPERATIONS[1:]:
        r = ratio(real(op, 50000), real(op, 10000))
        target(f"{label}: 10,000 → 50,000", "≤ 6×", fmt_ratio(r), r is not None and r <= 6)
    for label, one_ms, two_ms in script_rows:
        r = ratio(two_ms, one_ms)
        target(f"script, {label}: 1 MiB → 2 MiB", "≤ 2.5×", fmt_ratio(r), r is not None and r <= 2.5)
        target(f"script, {label}: 1 MiB", "< 50 ms", ms(one_ms), one_ms is not None and one_ms < 50)
    target("planning a launch: 1,000 files, group file of 3,000 members", "< 50 ms", ms(plan_ms),
           plan_ms is not None and plan_ms < 50)
    targets.extend(game_targets)
    targets.extend(startup_targets)

    w("## Targets")
    w("")
    w("| what | target | measured (wall clock) | met |")
    w("|---|---|---|---|")
    for what, goal, measured, met in targets:
        w(f"| {what} | {goal} | {measured} | {'–' if met is None else 'yes' if met else '**no**'} |")
    w("")
    missed = [t for t in targets if t[3] is False]
    if missed:
        w("Missed in this run: " + "; ".join(f"{t[0]} ({t[2]}, target {t[1]})" for t in missed) + ".")
    else:
        w("Every target was met in this run.")
    unmeasured = [t[0] for t in targets if t[3] is None]
    if unmeasured:
        w("Not measured in this run: " + "; ".join(unmeasured) + ".")
    w("")
    text = ""
    if arguments.notes:
        with open(arguments.notes) as notes:
            text = notes.read().strip()
    if text:
        w(text)
        w("")
    sys.stdout.write("\n".join(out))


if __name__ == "__main__":
    main()
