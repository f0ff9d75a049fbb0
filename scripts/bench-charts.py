#!/usr/bin/env python3
"""Draws the charts of docs/performance.md from the benchmark programs' JSON output.

Usage:
    scripts/bench-charts.py [--out docs/perf] [--page docs/performance.md] RESULT.json...

Each RESULT.json is the output of one bench_* program run with --benchmark_format=json (and
usually --benchmark_repetitions=N). For every benchmark the fastest repetition counts (the
minimum CPU time, or wall time with --clock real), since on a shared machine slow runs are other
programs' noise. Every chart compares vexl with the peer a user would otherwise use on the same
input in the same run: the bar is the peer's time divided by vexl's, so a bar beyond 1 means
vexl is faster.

The charts are SVG written by hand (python3 standard library only), with the machine and the
date of the run under each. The page's figures table between the markers
"<!-- figures begin -->" and "<!-- figures end -->" is rewritten with the measured times.
"""
import argparse
import html
import json
import math
import os
import re
import sys

# Charts: (file name, title, rows). A row is (label, vexl benchmark, peer benchmark, peer name).
DOCS = ("twitter", "citm_catalog", "canada")


def chart_definitions():
    charts = []
    rows = []
    for d in DOCS:
        rows.append((f"{d}", f"load/vexl/{d}", f"load/rapidjson/{d}", "RapidJSON"))
        rows.append((f"{d}", f"load/vexl/{d}", f"load/nlohmann/{d}", "nlohmann::json"))
    charts.append(("text-load", "Loading a document into a tree", rows))
    rows = []
    for d in DOCS:
        rows.append((f"{d}, compact", f"write/{d}/vexl_pkt", f"write/{d}/rapidjson_writer", "RapidJSON"))
        rows.append((f"{d}, compact", f"write/{d}/vexl_pkt", f"write/{d}/nlohmann_dump", "nlohmann::json"))
        rows.append((f"{d}, indented", f"write/{d}/vexl_hfw", f"write/{d}/rapidjson_pretty", "RapidJSON"))
        rows.append((f"{d}, indented", f"write/{d}/vexl_hfw", f"write/{d}/nlohmann_dump2", "nlohmann::json"))
    charts.append(("text-write", "Writing a tree as text", rows))
    rows = []
    for op in ("build", "copy", "lookup", "destroy", "wide-build", "wide-lookup"):
        rows.append((op, f"{op}/vexl", f"{op}/rapidjson", "RapidJSON"))
        rows.append((op, f"{op}/vexl", f"{op}/nlohmann", "nlohmann::json"))
    charts.append(("tree", "Building, copying, looking up and destroying trees", rows))
    charts.append(("cipher", "SEED cipher, 1 MiB", [
        ("encrypt, widest path", "BM_Vexl/seed_encrypt_1MiB/avx512-gfni", "BM_OpenSSL/seed_encrypt_1MiB", "OpenSSL"),
        ("encrypt, portable", "BM_Vexl/seed_encrypt_1MiB/portable", "BM_OpenSSL/seed_encrypt_1MiB", "OpenSSL"),
        ("decrypt, widest path", "BM_Vexl/seed_decrypt_1MiB/avx512-gfni", "BM_OpenSSL/seed_decrypt_1MiB", "OpenSSL"),
        ("decrypt, portable", "BM_Vexl/seed_decrypt_1MiB/portable", "BM_OpenSSL/seed_decrypt_1MiB", "OpenSSL"),
    ]))
    rows = []
    for n, what in ((0, "14-field header"), (1, "40-field body")):
        for case, engine, hand in (("make", "EngineMake", "MakeString"),
                                   ("make into a buffer", "EngineMakeBuffer", "MakeBuffer"),
                                   ("make over 1,024 trees", "EngineMakeMany", "MakeMany"),
                                   ("set values + make", "EngineSetMake", "MakeString"),
                                   ("parse", "EngineParse", "Parse")):
            rows.append((f"{case}, {what}", f"BM_{engine}/{n}", f"BM_Hand{hand}/{n}", "hand-written, field table"))
            rows.append((f"{case}, {what}", f"BM_{engine}/{n}", f"BM_Unrolled{hand}/{n}", "hand-written, unrolled"))
    charts.append(("packet", "Making and parsing packets", rows))
    rows = []
    for d in DOCS:
        rows.append((f"{d}, import", f"import/vexl/{d}", f"import/nlohmann/{d}", "nlohmann::json"))
        rows.append((f"{d}, import", f"import/vexl/{d}", f"import/rapidjson/{d}", "RapidJSON"))
        rows.append((f"{d}, export", f"export/vexl/{d}", f"export/rapidjson/{d}", "RapidJSON"))
    charts.append(("json", "JSON import into a tree and export from it", rows))
    rows = []
    for d in DOCS:
        rows.append((f"{d}, no password", f"BinaryLoad/{d}/plain", f"TextLoad/{d}", "vexl text"))
        rows.append((f"{d}, password", f"BinaryLoad/{d}/password", f"TextLoad/{d}", "vexl text"))
    charts.append(("binary", "Loading a binary document against loading its text", rows))
    return charts


PEER_COLOURS = {"RapidJSON": "#4e79a7", "nlohmann::json": "#f28e2b", "OpenSSL": "#59a14f",
                "hand-written C++": "#b07aa1", "vexl text": "#76b7b2"}

UNIT_NS = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}


def load_results(paths, clock="cpu_time"):
    """Minimum time (CPU or wall) in nanoseconds per benchmark name, and the run's context."""
    best, context = {}, {}
    for p in paths:
        with open(p, encoding="utf-8") as f:
            data = json.load(f)
        context = context or data.get("context", {})
        for b in data.get("benchmarks", []):
            if b.get("run_type") == "aggregate" or b.get("error_occurred"):
                continue
            name = b.get("run_name", b["name"])
            name = re.sub(r"(/(real_time|threads:\d+|repeats:\d+|iterations:\d+))+$", "", name)
            t = b[clock] * UNIT_NS[b.get("time_unit", "ns")]
            if name not in best or t < best[name]:
                best[name] = t
    return best, context


def machine_text(context):
    cpu = "unknown CPU"
    try:
        with open("/proc/cpuinfo", encoding="utf-8") as f:
            for line in f:
                if line.startswith("model name"):
                    cpu = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    cores = context.get("num_cpus") or os.cpu_count()
    date = context.get("date", "")[:10]
    build = context.get("library_build_type", "")
    return f"{cpu}, {cores} cores (shared) · {date} · best CPU time of the repetitions"


def fmt_time(ns):
    for unit, scale in (("s", 1e9), ("ms", 1e6), ("µs", 1e3)):
        if ns >= scale:
            return f"{ns / scale:.3g} {unit}"
    return f"{ns:.3g} ns"


def draw(title, rows, machine):
    """One bar chart as SVG text; rows are (label, peer, ratio).

    The axis is logarithmic and bars grow from 1 (as fast as the peer): to the right when vexl
    is faster, to the left when it is slower, so 2x faster and 2x slower look the same size.
    """
    bar_h, gap, left, right, top = 18, 6, 250, 70, 56
    width = 760
    plot_w = width - left - right
    lo = min([r[2] for r in rows] + [0.5]) / 1.3
    hi = max([r[2] for r in rows] + [2.0]) * 1.3
    span = math.log10(hi) - math.log10(lo)
    x = lambda v: left + plot_w * (math.log10(v) - math.log10(lo)) / span
    bottom = top + len(rows) * (bar_h + gap)
    height = bottom + 56
    out = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
           f'viewBox="0 0 {width} {height}" font-family="sans-serif" font-size="12">',
           f'<rect width="{width}" height="{height}" fill="white"/>',
           f'<text x="{width / 2}" y="22" text-anchor="middle" font-size="15" font-weight="bold">'
           f'{html.escape(title)}</text>',
           f'<text x="{width / 2}" y="40" text-anchor="middle" fill="#555">'
           'peer time / vexl time (log scale): right of 1, vexl is faster</text>']
    for tick in (0.001, 0.002, 0.005, 0.01, 0.02, 0.05, 0.1, 0.2, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000):
        if lo <= tick <= hi:
            gx = x(tick)
            out.append(f'<line x1="{gx:.1f}" y1="{top - 4}" x2="{gx:.1f}" y2="{bottom}" stroke="#ddd"/>')
            out.append(f'<text x="{gx:.1f}" y="{bottom + 14}" text-anchor="middle" fill="#555">'
                       f'{tick:g}</text>')
    one = x(1.0)
    for i, (label, peer, ratio) in enumerate(rows):
        y = top + i * (bar_h + gap)
        colour = PEER_COLOURS.get(peer, "#888")
        end = x(ratio)
        out.append(f'<text x="{left - 8}" y="{y + bar_h - 5}" text-anchor="end">'
                   f'{html.escape(label)} vs {html.escape(peer)}</text>')
        out.append(f'<rect x="{min(one, end):.1f}" y="{y}" width="{max(abs(end - one), 1):.1f}" '
                   f'height="{bar_h}" fill="{colour}"/>')
        tx, anchor = (end + 4, "start") if ratio >= 1 else (end - 4, "end")
        out.append(f'<text x="{tx:.1f}" y="{y + bar_h - 5}" text-anchor="{anchor}">{ratio:.3g}×</text>')
    out.append(f'<line x1="{one:.1f}" y1="{top - 4}" x2="{one:.1f}" y2="{bottom}" stroke="#000"/>')
    out.append(f'<text x="{width / 2}" y="{height - 12}" text-anchor="middle" fill="#555" '
               f'font-size="11">{html.escape(machine)}</text>')
    out.append("</svg>")
    return "\n".join(out) + "\n"


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    ap.add_argument("--out", default="docs/perf", help="folder of the SVG files")
    ap.add_argument("--page", default="docs/performance.md", help="page whose figures table is rewritten")
    ap.add_argument("--code", default="", help="what was measured, e.g. the commit the benchmarks were built from")
    ap.add_argument("--clock", choices=("cpu", "real"), default="cpu",
                    help="compare CPU time (default: steadier on a busy machine) or wall time")
    ap.add_argument("results", nargs="+")
    args = ap.parse_args()

    best, context = load_results(args.results, args.clock + "_time")
    machine = machine_text(context)
    if args.code:
        machine += " · " + args.code
    os.makedirs(args.out, exist_ok=True)
    table = ["| Chart | Case | Peer | vexl | Peer | Ratio |", "|---|---|---|---:|---:|---:|"]
    for fname, title, defs in chart_definitions():
        rows = []
        for label, mine, peer_bench, peer in defs:
            if mine not in best or peer_bench not in best:
                print(f"skipped {label} vs {peer}: no result for "
                      f"{mine if mine not in best else peer_bench}", file=sys.stderr)
                continue
            ratio = best[peer_bench] / best[mine]
            rows.append((label, peer, ratio))
            table.append(f"| {title} | {label} | {peer} | {fmt_time(best[mine])} | "
                         f"{fmt_time(best[peer_bench])} | {ratio:.3g} |")
        if not rows:
            continue
        with open(os.path.join(args.out, fname + ".svg"), "w", encoding="utf-8") as f:
            f.write(draw(title, rows, machine))
        print(f"wrote {os.path.join(args.out, fname + '.svg')} ({len(rows)} bars)")

    if args.page and os.path.exists(args.page):
        with open(args.page, encoding="utf-8") as f:
            page = f.read()
        block = ("<!-- figures begin -->\n" + f"Measured on {machine}.\n\n" + "\n".join(table) +
                 "\n<!-- figures end -->")
        page, n = re.subn(r"<!-- figures begin -->.*?<!-- figures end -->", lambda m: block, page,
                          flags=re.S)
        if n:
            with open(args.page, "w", encoding="utf-8") as f:
                f.write(page)
            print(f"rewrote the figures of {args.page}")


if __name__ == "__main__":
    main()
