#!/usr/bin/python3
"""Summarizes the raw figures of bench/measure.sh (OUT/raw.txt, OUT/keypress.txt)
as Markdown: medians per program, the ratios against the goals, the machine."""
import os
import re
import statistics
import subprocess
import sys


def records(path):
    rows = []
    with open(path) as raw:
        for line in raw:
            rows.append(dict(re.findall(r"(\w+)=(\S+)", line)))
    return rows


def median(rows, key):
    values = [float(r[key]) for r in rows if key in r and re.fullmatch(r"-?[\d.]+", r[key])
              and float(r[key]) >= 0]
    return statistics.median(values) if values else None


def machine():
    cpu = next((l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo")
                if l.startswith("model name")), "?")
    ram = next((int(l.split()[1]) // 1024 for l in open("/proc/meminfo")
                if l.startswith("MemTotal")), 0)
    qt = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "libqt6core6"],
                        capture_output=True, text=True).stdout or "?"
    webengine = subprocess.run(["dpkg-query", "-W", "-f=${Version}", "libqt6webenginecore6"],
                               capture_output=True, text=True).stdout or "?"
    debian = open("/etc/debian_version").read().strip()
    return (f"{cpu}, {os.cpu_count()} cores, {ram} MiB RAM, Debian {debian}, "
            f"Qt {qt} (WebEngine {webengine}), Xvfb 1024x768x24")


def fmt(value, digits=1):
    return "–" if value is None else f"{value:.{digits}f}"


def goal(name, value, limit, better="below"):
    if value is None:
        return f"| {name} | – | {limit} | not measured |"
    met = value <= limit if better == "below" else value >= limit
    return f"| {name} | {value:.2f} | {'≤' if better == 'below' else '≥'} {limit} | " \
           f"{'met' if met else 'MISSED'} |"


def main():
    out = sys.argv[1]
    rows = records(os.path.join(out, "raw.txt"))
    programs = ["bare", "serit", "serit-nomodule", "naive", "galculator", "speedcrunch",
                "serit-single"]
    by = {p: [r for r in rows if r.get("program") == p] for p in programs + ["serit-typing"]}
    bare_map = median(by["bare"], "map_ms")
    print(f"Machine: {machine()}\n")
    print("| program | runs | mapped ms | ×bare | digit shown ms | strip shown ms "
          "| PSS main MiB | PSS tree MiB | processes | ended 0 | left over |")
    print("|---|---|---|---|---|---|---|---|---|---|---|")
    for p in programs:
        rs = by[p]
        if not rs:
            continue
        m = median(rs, "map_ms")
        ratio = m / bare_map if m and bare_map else None
        exits = [r["exit"] for r in rs if "exit" in r]
        ended = f"{exits.count('0')}/{len(exits)}" if exits else "–"
        left = sum(int(r.get("leftover", 0)) for r in rs)
        main_mib = median(rs, "pss_main_kib")
        tree_mib = median(rs, "pss_tree_kib")
        print(f"| {p} | {len(rs)} | {fmt(m)} | {fmt(ratio, 2)} | {fmt(median(rs, 'digit_ms'))} "
              f"| {fmt(median(rs, 'strip_ms'))} | {fmt(main_mib and main_mib / 1024)} "
              f"| {fmt(tree_mib and tree_mib / 1024)} | {fmt(median(rs, 'processes'), 0)} "
              f"| {ended} | {left} |")

    serit = by["serit"]
    strip_after = sum(1 for r in serit if float(r.get("strip_ms", -1)) > float(r["map_ms"]))
    typing = by["serit-typing"]
    lost = [int(r.get("lost", -1)) for r in typing]
    pairs = [int(r.get("pairs", 0)) for r in typing]
    paint = [r for r in rows if r.get("program") == "strippaint"]
    print()
    print(f"- Strip shown after the calculator's window was mapped: {strip_after} of "
          f"{len(serit)} runs.")
    print(f"- Keys typed from the map until the strip had settled: {sum(pairs)} pairs of "
          f"\"1\" \"+\" in {len(typing)} runs, lost: {sum(l for l in lost if l > 0)}"
          f"{' (tape unreadable in some runs)' if any(l < 0 for l in lost) else ''}.")
    print(f"- Strip draws a data: page with the calculator's engine settings: "
          f"{paint[0].get('strip_paints', '?') if paint else '?'}"
          f"{' after ' + paint[0]['after_ms'] + ' ms' if paint and 'after_ms' in paint[0] else ''}.")
    unmaps = sum(int(r.get("unmaps", 0)) for r in serit)
    print(f"- Calculator window unmapped while running (recreated): {unmaps} times.")

    keypress = {}
    screen_reader = {}
    kp_path = os.path.join(out, "keypress.txt")
    if os.path.exists(kp_path):
        for r in records(kp_path):
            if "median_ms" in r:
                keypress[r.get("lines")] = float(r["median_ms"])
            elif "step_ns" in r:
                screen_reader["checks"] = float(r["ratio_to_step"])
            elif "step_median_ms" in r:
                screen_reader["listening"] = float(r["ratio_to_step"])
    print("\n| goal | measured | limit | |\n|---|---|---|---|")
    print(goal("Şerit mapped ÷ bare window mapped (medians)",
               median(serit, "map_ms") / bare_map if bare_map else None, 1.3))
    nm, bm = median(by["serit-nomodule"], "pss_main_kib"), median(by["bare"], "pss_main_kib")
    print(goal("Şerit process without the engine ÷ bare window (PSS)",
               nm / bm if nm and bm else None, 1.3))
    st, nt = median(serit, "pss_tree_kib"), median(by["naive"], "pss_tree_kib")
    print(goal("Şerit whole tree ÷ naive strip whole tree (PSS)", st / nt if st and nt else None, 0.9))
    sg = median(by["serit-single"], "pss_tree_kib")
    print(goal("(one-process engine, not used) tree ÷ naive", sg / nt if sg and nt else None, 0.9))
    if "100000" in keypress and "10" in keypress:
        print(goal("key press with 100,000 tape lines ÷ with 10",
                   keypress["100000"] / keypress["10"], 1.5))
    print(goal("a key press's checks for a screen reader, none listening ÷ the key press",
               screen_reader.get("checks"), 0.01))
    print(goal("key press with a screen reader listening ÷ without",
               screen_reader.get("listening"), 1.5))


if __name__ == "__main__":
    main()
