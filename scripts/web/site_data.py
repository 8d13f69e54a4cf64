#!/usr/bin/env python3
"""Puts a data folder made by redsphere-mkdata into the page's site: every file the loader reads,
gzip-compressed (the page inflates them itself, so any static server will do), and manifest.json
naming them with their level (0: every level), whether they are the cloud layer, their sizes and a
version (a hash of the compressed files) that names the browser's cache of them.

usage: site_data.py DATA_FOLDER SITE_DATA_FOLDER
"""
import gzip
import hashlib
import json
import os
import re
import sys

LEVEL_FILE = re.compile(r"^(nodes|areoid|topo|mars|clouds)([1-9][0-9]*)\.hex$")
SHARED_FILES = ("sun.hex", "starsbr.hex", "starsdim.hex")


def main(source, target):
    os.makedirs(target, exist_ok=True)
    files, digest = [], hashlib.sha256()
    for name in sorted(os.listdir(source)):
        match = LEVEL_FILE.match(name)
        if not match and name not in SHARED_FILES:
            continue
        with open(os.path.join(source, name), "rb") as f:
            raw = f.read()
        # mtime 0: the same data gives the same bytes, and so the same cache version.
        packed = gzip.compress(raw, compresslevel=9, mtime=0)
        with open(os.path.join(target, name + ".gz"), "wb") as f:
            f.write(packed)
        digest.update(name.encode() + b"\0" + packed)
        files.append({"name": name, "level": int(match.group(2)) if match else 0,
                      "clouds": bool(match) and match.group(1) == "clouds",
                      "bytes": len(raw), "gzipBytes": len(packed)})
    if not any(f["name"].startswith("nodes") for f in files):
        sys.exit("site_data.py: %s holds no level (no nodesL.hex)" % source)
    manifest = {"version": digest.hexdigest()[:16], "files": files}
    with open(os.path.join(target, "manifest.json"), "w") as f:
        json.dump(manifest, f, indent=1)
    total = sum(f["gzipBytes"] for f in files)
    print("site data: %d files, %.1f MB compressed, in %s" % (len(files), total / 1e6, target))


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    main(sys.argv[1], sys.argv[2])
