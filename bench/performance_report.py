#!/usr/bin/env python3
"""Writes docs/performance.md from the JSON output of the benchmark programs.

Usage: performance_report.py CONTROL_JSON SCRIPTS_JSON LOAD_BEFORE LOAD_AFTER > docs/performance.md
"""
import json
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


def medians(path):
    with open(path) as f:
        data = json.load(f)
    result = {}
    for b in data["benchmarks"]:
        if b.get("aggregate_name") != "median":
            continue
        scale = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        result[b["run_name"]] = (b["real_time"] * scale, b["cpu_time"] * scale)
    return data["context"], result


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


def main():
    context, control = medians(sys.argv[1])
    _, scripts = medians(sys.argv[2])
    load_before, load_after = sys.argv[3], sys.argv[4]

    def real(op, n):
        v = control.get(f"{op}/{n}")
        return v[0] if v else None

    def cpu(op, n):
        v = control.get(f"{op}/{n}")
        return v[1] if v else None

    out = []
    w = out.append
    w("# Performance")
    w("")
    w("Written by `tools/run-benchmarks.sh` from a Release build of the benchmark programs in")
    w("`bench/` (`ostrel_bench_control`, `ostrel_bench_scripts`); every figure is the median of")
    w(f"the repetitions of one run. Run of {context.get('date', '?')} on {context.get('num_cpus', '?')} CPUs")
    w(f"at {context.get('mhz_per_cpu', '?')} MHz; load average {load_before} before the run and {load_after} after it.")
    w("")
    w("Each store holds the given number of TC definitions (a version, a name, a group file, a")
    w("game con, a text file and two other files each: seven keys in \"DefinedTCs\"). The")
    w("control runs on the offscreen platform with recording fakes for dialogs and message")
    w("boxes; the store is a real SQLite file with durable commits (`synchronous = FULL`).")
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
    w("## Reading scripts")
    w("")
    w("| text | 1 MiB | 2 MiB | 2 MiB / 1 MiB |")
    w("|---|---|---|---|")
    script_rows = []
    for key, label in SCRIPT_TEXTS:
        one = scripts.get(f"readScript/{key}/1")
        two = scripts.get(f"readScript/{key}/2")
        one_ms, two_ms = (one[0] if one else None), (two[0] if two else None)
        script_rows.append((label, one_ms, two_ms))
        w(f"| {label} | {ms(one_ms)} | {ms(two_ms)} | {fmt_ratio(ratio(two_ms, one_ms))} |")
    w("")

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

    w("## Targets")
    w("")
    w("| what | target | measured (wall clock) | met |")
    w("|---|---|---|---|")
    for what, goal, measured, met in targets:
        w(f"| {what} | {goal} | {measured} | {'yes' if met else '**no**'} |")
    w("")
    missed = [t for t in targets if not t[3]]
    if missed:
        w("Missed in this run: " + "; ".join(f"{t[0]} ({t[2]}, target {t[1]})" for t in missed) + ".")
    else:
        w("Every target was met in this run.")
    w("")
    with open(sys.argv[5] if len(sys.argv) > 5 else "/dev/null") as notes:
        text = notes.read().strip()
    if text:
        w(text)
        w("")
    sys.stdout.write("\n".join(out))


if __name__ == "__main__":
    main()
