#!/usr/bin/env python3
"""Prints the ratios and goals of the benchmark results bench.sh wrote."""
import json
import sys


def load(path):
    with open(path) as f:
        return json.load(f)["benchmarks"]


def figure(runs, name, key="cpu_time"):
    """The median when there were repetitions, otherwise the single run."""
    medians = [r[key] for r in runs if r["run_name"] == name and r.get("aggregate_name") == "median"]
    plain = [r[key] for r in runs if r["run_name"] == name and r.get("run_type") == "iteration"]
    chosen = medians or plain
    return sum(chosen) / len(chosen) if chosen else None


def clock_text(runs):
    ours, icu, libc = (figure(runs, n) for n in ("FormatMoment/time", "ICU/time", "strftime/time"))
    if None not in (ours, icu, libc):
        print("time of day, 'ampm h:nn:ss' vs ICU 'a h:mm:ss' vs strftime '%p %I:%M:%S':")
        print(f"  FormatMoment/ICU      = {ours / icu:.3f}  (ICU takes {icu / ours:.1f}x as long; goal >= 10x)")
        print(f"  FormatMoment/strftime = {ours / libc:.3f}  (goal <= 2)")
    for name in ("RenderTemplate/time", "RenderTemplate/all_tokens"):
        t = figure(runs, name)
        if t is not None:
            print(f"  {name:<26} {t:8.1f} ns  (goal < 1000 ns)")
    names = dict.fromkeys(r["run_name"] for r in runs)
    ours = [n for n in names if n.split("/")[0] in ("FormatMoment", "RenderTemplate")]
    most = max(ours, key=lambda n: figure(runs, n, "allocs_per_call") or 0, default=None)
    if most is not None:
        print(f"  most allocations per call: {figure(runs, most, 'allocs_per_call'):.2f} ({most}; goal <= 1)")


def window(runs):
    clock, floor = figure(runs, "BM_ClockTick/defaults"), figure(runs, "BM_MinimalQtTick")
    if None not in (clock, floor):
        print(f"one tick with the default templates: {clock / 1000:.2f} us (goal < 20 us)")
        print(f"  against a label set from QTime:    {floor / 1000:.2f} us (ratio {clock / floor:.2f})")
    check_us = figure(runs, "BM_CheckAlarms")
    if check_us is not None:
        allocs = figure(runs, "BM_CheckAlarms", "allocs_per_call")
        print(f"alarm check over 10,000 alarms:      {check_us:.0f} us, {allocs:.2f} allocations (goal < 1000 us, 0)")
    load_us = figure(runs, "BM_LoadSettings")
    if load_us is not None:
        print(f"settings file read and applied:      {load_us:.0f} us (goal < 1000 us)")


def ini_store(runs):
    print("INI store against inih, 1,000 sections:")
    for what in ("Parse/text", "Parse/file", "Save/text"):
        store = figure(runs, f"{what}/store")
        peer = "inih+append" if what.startswith("Save") else "inih"
        theirs = figure(runs, f"{what}/{peer}")
        if None not in (store, theirs):
            goal = "  (goal <= 2)" if what.startswith("Parse") else ""
            print(f"  {what:<10} store {store / 1e6:6.3f} ms, {peer} {theirs / 1e6:6.3f} ms, "
                  f"ratio {store / theirs:.2f}{goal}")
    disk = figure(runs, "Save/file/store/real_time", "real_time")
    if disk is not None:
        print(f"  SaveToDisk with fsync and rename: {disk / 1e6:.3f} ms")


if __name__ == "__main__":
    for summary, path in zip((clock_text, window, ini_store), sys.argv[1:]):
        print()
        summary(load(path))
