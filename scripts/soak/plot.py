#!/usr/bin/env python3
"""Draws a soak run's samples as one SVG picture: memory above, descriptors and threads below.

    scripts/soak/plot.py [--linux DIR] [--wine DIR] --out FILE.svg [--title TEXT]

DIR is an --out folder of scripts/soak.sh: linux.csv from the Linux run, wine.csv and
wine-unix.csv from the Wine run (their census columns, where the memory lies, are not drawn).
Memory is drawn from the first minute on (the start is a ramp of no interest). Columns that a run
left empty (Wine reports no handle or GDI counts) are left out. Plain SVG, so the picture needs
nothing beyond Python to make or to view."""
import argparse
import csv
import math
import os
import sys

WIDTH, PANEL_HEIGHT, LEFT, RIGHT, TOP, GAP, BOTTOM = 760, 230, 70, 20, 54, 62, 45
COLOURS = ["#c0392b", "#2471a3", "#7d3c98", "#239b56", "#b7950b", "#616a6b"]


def read_series(path, column, scale):
    """(minutes, value) pairs of one column, or [] where the file or every value is missing."""
    if not os.path.exists(path):
        return []
    with open(path, newline="") as f:
        rows = list(csv.DictReader(f))
    if rows and column not in rows[0]:
        raise ValueError(f"{path} has no column '{column}'")
    return [(int(r["seconds"]) / 60.0, float(r[column]) * scale) for r in rows if r[column]]


def nice_step(span, ticks):
    """A round tick step (1, 2 or 5 times a power of ten) giving about `ticks` ticks over span."""
    raw = span / max(ticks, 1)
    power = 10 ** math.floor(math.log10(raw))
    return next(power * factor for factor in (1, 2, 5, 10) if power * factor >= raw)


def ticks(low, high, step):
    """The tick values from low to high, high included."""
    return [low + i * step for i in range(int(round((high - low) / step)) + 1)]


def axis_range(values, floor_zero):
    low, high = min(values), max(values)
    if floor_zero:
        low = 0.0
    pad = (high - low) * 0.08 or max(abs(high) * 0.05, 1.0)
    step = nice_step(high - low + 2 * pad, 5)
    low = (low - (0 if floor_zero else pad)) // step * step
    high = -((-(high + pad)) // step) * step
    return low, high, step


def panel(series, top, x_range, y_label, floor_zero):
    """One panel's SVG elements: frame, grid, ticks, one polyline per series, and its legend."""
    width = WIDTH - LEFT - RIGHT
    x_low, x_high, x_step = x_range
    y_low, y_high, y_step = axis_range([v for _, points in series for _, v in points], floor_zero)
    px = lambda x: LEFT + (x - x_low) / (x_high - x_low) * width
    py = lambda y: top + PANEL_HEIGHT - (y - y_low) / (y_high - y_low) * PANEL_HEIGHT
    out = [f'<rect x="{LEFT}" y="{top}" width="{width}" height="{PANEL_HEIGHT}" fill="white" stroke="#444"/>']
    for tick in ticks(y_low, y_high, y_step):
        y = py(tick)
        out.append(f'<line x1="{LEFT}" y1="{y:.1f}" x2="{LEFT + width}" y2="{y:.1f}" stroke="#ddd"/>')
        out.append(f'<text x="{LEFT - 6}" y="{y + 4:.1f}" text-anchor="end">{tick:g}</text>')
    for tick in ticks(x_low, x_high, x_step):
        x = px(tick)
        out.append(f'<line x1="{x:.1f}" y1="{top}" x2="{x:.1f}" y2="{top + PANEL_HEIGHT}" stroke="#eee"/>')
        out.append(f'<text x="{x:.1f}" y="{top + PANEL_HEIGHT + 16}" text-anchor="middle">{tick:g}</text>')
    out.append(f'<text transform="translate(16,{top + PANEL_HEIGHT / 2}) rotate(-90)" text-anchor="middle">{y_label}</text>')
    for index, (label, points) in enumerate(series):
        colour = COLOURS[index % len(COLOURS)]
        line = " ".join(f"{px(x):.1f},{py(y):.1f}" for x, y in points)
        # Every other line dashed: equal series (Wine's working set is its resident memory) stay visible.
        dash = ' stroke-dasharray="7,5"' if index % 2 else ""
        x, y = LEFT + 10 + 215 * (index % 3), top - 8 - 16 * (index // 3)
        out.append(f'<polyline points="{line}" fill="none" stroke="{colour}" stroke-width="1.8"{dash}/>')
        out.append(f'<line x1="{x}" y1="{y - 4}" x2="{x + 18}" y2="{y - 4}" stroke="{colour}" stroke-width="2"{dash}/>')
        out.append(f'<text x="{x + 24}" y="{y}">{label}</text>')
    return out


def main():
    parser = argparse.ArgumentParser(description="Draws soak.sh's samples as an SVG picture.")
    parser.add_argument("--linux", help="soak.sh --out folder of a Linux run")
    parser.add_argument("--wine", help="soak.sh --out folder of a Wine run")
    parser.add_argument("--out", required=True, help="the SVG file to write")
    parser.add_argument("--title", default="Soak run: memory, descriptors and threads each minute")
    args = parser.parse_args()
    mib_of_kib, mib_of_bytes = 1 / 1024, 1 / (1024 * 1024)
    memory, counts = [], []
    if args.linux:
        memory.append(("Linux: resident memory", read_series(f"{args.linux}/linux.csv", "rss_kib", mib_of_kib)))
        counts.append(("Linux: open descriptors", read_series(f"{args.linux}/linux.csv", "descriptors", 1)))
        counts.append(("Linux: threads", read_series(f"{args.linux}/linux.csv", "threads", 1)))
    if args.wine:
        memory.append(("Wine: working set", read_series(f"{args.wine}/wine.csv", "working_set_bytes", mib_of_bytes)))
        memory.append(("Wine: resident, seen from Linux", read_series(f"{args.wine}/wine-unix.csv", "rss_kib", mib_of_kib)))
        for column, label in (("handles", "handles"), ("gdi_objects", "GDI objects"), ("user_objects", "USER objects")):
            counts.append((f"Wine: {label}", read_series(f"{args.wine}/wine.csv", column, 1)))
    # The first minute is the start (loading, the first meshes): the memory panel begins after it,
    # so that a few per cent of growth stays visible on its scale.
    memory = [(label, [p for p in points if p[0] >= 1.0]) for label, points in memory]
    memory = [(label, points) for label, points in memory if points]
    counts = [(label, points) for label, points in counts if points]
    if not memory:
        raise ValueError("no samples: give --linux and/or --wine folders that soak.sh wrote")
    minutes = [x for _, points in memory + counts for x, _ in points]
    x_range = (0.0, -(-max(minutes) // 10) * 10 or 10.0, 10.0 if max(minutes) <= 150 else 30.0)
    panels = [panel(memory, TOP, x_range, "MiB", False)]
    if counts:
        panels.append(panel(counts, TOP + PANEL_HEIGHT + GAP, x_range, "count", True))
    height = TOP + len(panels) * PANEL_HEIGHT + (len(panels) - 1) * GAP + BOTTOM
    parts = [f'<svg xmlns="http://www.w3.org/2000/svg" width="{WIDTH}" height="{height}" '
             f'font-family="sans-serif" font-size="12">',
             f'<rect width="{WIDTH}" height="{height}" fill="#fafafa"/>',
             f'<text x="{WIDTH / 2}" y="24" text-anchor="middle" font-size="14">{args.title}</text>']
    for elements in panels:
        parts.extend(elements)
    parts.append(f'<text x="{LEFT + (WIDTH - LEFT - RIGHT) / 2}" y="{height - 10}" text-anchor="middle">minutes</text>')
    parts.append("</svg>")
    with open(args.out, "w") as f:
        f.write("\n".join(parts) + "\n")


if __name__ == "__main__":
    try:
        main()
    except (OSError, ValueError, KeyError) as error:
        print(f"plot.py: {error}", file=sys.stderr)
        sys.exit(1)
