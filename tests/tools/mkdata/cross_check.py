#!/usr/bin/env python3
"""Runs the Windows redsphere-mkdata under Wine and the Linux one with the same arguments and
compares everything they write. Data files must match byte for byte, or within what the two C
libraries' mathematics can move: heights by 1 m, colour bytes by 1, star directions by 0.001
degree. Previews are compared as decoded pixels, colour bytes within 1. Prints one line per file
with how many values differ; exits 1 on any difference beyond those, 77 (skipped) when there is
no Linux builder to compare with."""

import argparse
import os
import shutil
import struct
import subprocess
import sys
import time
import zlib

HEIGHT_TOLERANCE_M = 1
COLOUR_TOLERANCE = 1
STAR_TOLERANCE_DEG = 1e-3


def run_builder(command, stdout_path):
    started = time.monotonic()
    with open(stdout_path, "wb") as out:
        result = subprocess.run(command, stdout=out, stderr=subprocess.PIPE, timeout=600)
    seconds = time.monotonic() - started
    if result.returncode != 0:
        sys.exit("cross_check: %s ended with status %d: %s"
                 % (command[0], result.returncode, result.stderr.decode(errors="replace").strip()))
    return seconds


def differences(a, b, tolerance):
    """(values that differ, values beyond tolerance, largest difference) of two equal-length sequences."""
    differ = beyond = 0
    largest = 0
    for x, y in zip(a, b):
        if x != y:
            d = abs(x - y)
            differ += 1
            largest = max(largest, d)
            if d > tolerance:
                beyond += 1
    return differ, beyond, largest


def star_differences(a, b):
    differ = beyond = 0
    largest = 0.0
    for offset in range(0, len(a), 12):
        ra, rb = a[offset:offset + 12], b[offset:offset + 12]
        if ra == rb:
            continue
        colour = differences(ra[:4], rb[:4], COLOUR_TOLERANCE)
        ea, aa = struct.unpack("<ff", ra[4:])
        eb, ab = struct.unpack("<ff", rb[4:])
        azimuth = abs(aa - ab) % 360.0
        angle = max(abs(ea - eb), min(azimuth, 360.0 - azimuth))
        differ += 1
        largest = max(largest, colour[2], angle)
        if colour[1] or angle > STAR_TOLERANCE_DEG:
            beyond += 1
    return differ, beyond, largest


def png_pixels(data):
    """(width, height, channels, pixel bytes) of an 8-bit grey, RGB or RGBA PNG without interlace."""
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    position, idat, header = 8, b"", None
    while position < len(data):
        length, kind = struct.unpack(">I4s", data[position:position + 8])
        body = data[position + 8:position + 8 + length]
        if zlib.crc32(data[position + 4:position + 8 + length]) != struct.unpack(">I", data[position + 8 + length:position + 12 + length])[0]:
            raise ValueError("bad CRC in %s" % kind)
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        position += 12 + length
    width, height, depth, colour_type, _, _, interlace = header
    channels = {0: 1, 2: 3, 6: 4}[colour_type]
    if depth != 8 or interlace:
        raise ValueError("unsupported PNG layout")
    raw = zlib.decompress(idat)
    stride = width * channels
    pixels = bytearray(stride * height)
    previous = bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 0xFF
        pixels[y * stride:(y + 1) * stride] = line
        previous = line
    return width, height, channels, bytes(pixels)


def compare_file(name, a, b):
    """(one report line, whether the difference is within tolerance)."""
    if a == b:
        return "%-16s %10d bytes  identical" % (name, len(a)), True
    if name.endswith(".png"):
        try:
            wa, ha, ca, pa = png_pixels(a)
            wb, hb, cb, pb = png_pixels(b)
        except (ValueError, KeyError, zlib.error) as problem:
            return "%-16s unreadable picture: %s" % (name, problem), False
        if (wa, ha, ca) != (wb, hb, cb):
            return "%-16s picture sizes differ: %dx%d against %dx%d" % (name, wa, ha, wb, hb), False
        differ, beyond, largest = differences(pa, pb, COLOUR_TOLERANCE)
        unit, count = "pixel bytes", len(pa)
    elif len(a) != len(b):
        return "%-16s lengths differ: %d against %d bytes" % (name, len(a), len(b)), False
    elif name.startswith(("topo", "areoid")):
        count = len(a) // 2
        fmt = "<%dh" % count
        differ, beyond, largest = differences(struct.unpack(fmt, a), struct.unpack(fmt, b), HEIGHT_TOLERANCE_M)
        unit = "heights (m)"
    elif name.startswith(("mars", "clouds", "sun")):
        differ, beyond, largest = differences(a, b, COLOUR_TOLERANCE)
        unit, count = "colour bytes", len(a)
    elif name.startswith("stars"):
        differ, beyond, largest = star_differences(a, b)
        unit, count = "star records", len(a) // 12
    else:
        differ = sum(1 for x, y in zip(a, b) if x != y)
        return "%-16s %d of %d bytes differ (must be identical)" % (name, differ, len(a)), False
    line = "%-16s %d of %d %s differ, largest by %g" % (name, differ, count, unit, largest)
    return line + ("" if beyond == 0 else "; %d beyond the tolerance" % beyond), beyond == 0


def listing(folder):
    files = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder)] = f.read()
    return files


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--windows", required=True, help="redsphere-mkdata.exe")
    parser.add_argument("--linux", required=True, help="the Linux redsphere-mkdata")
    parser.add_argument("--wine", required=True, help="the Wine wrapper that runs a Windows program")
    parser.add_argument("--work", required=True, help="a folder to write both data sets into (emptied first)")
    parser.add_argument("arguments", nargs="*", default=["--level", "8", "--threads", "2"],
                        help="the builder's arguments before its folders")
    options = parser.parse_args()
    if not os.access(options.linux, os.X_OK):
        print("SKIPPED: no Linux builder at %s to compare with (build the linux preset first)" % options.linux)
        return 77

    shutil.rmtree(options.work, ignore_errors=True)
    runs = {}
    for platform, command in (("linux", [options.linux]), ("windows", [options.wine, options.windows])):
        folder = os.path.join(options.work, platform)
        os.makedirs(folder)
        seconds = run_builder(command + options.arguments + ["--preview", os.path.join(folder, "previews"),
                                                             os.path.join(folder, "data")],
                              os.path.join(options.work, platform + ".out"))
        print("%s builder: %.1f s" % (platform, seconds))
        runs[platform] = listing(folder)

    linux, windows = runs["linux"], runs["windows"]
    good = True
    for name in sorted(set(linux) | set(windows)):
        if name not in linux or name not in windows:
            print("%-16s written only by the %s builder" % (name, "linux" if name in linux else "windows"))
            good = False
            continue
        line, within = compare_file(os.path.basename(name), linux[name], windows[name])
        print(line)
        good = good and within
    with open(os.path.join(options.work, "linux.out"), "rb") as f:
        linux_summary = f.read().replace(b"\r\n", b"\n")
    with open(os.path.join(options.work, "windows.out"), "rb") as f:
        windows_summary = f.read().replace(b"\r\n", b"\n")
    if linux_summary == windows_summary:
        print("summary lines: identical")
    for ours, theirs in zip(linux_summary.splitlines(), windows_summary.splitlines()):
        if ours != theirs:
            print("summary line differs:\n  linux:   %s\n  windows: %s" % (ours.decode(), theirs.decode()))
    if not good or not linux or len(linux) != len(windows):
        print("cross_check: the Windows and Linux builders disagree")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
