#!/usr/bin/env python3
"""Derives data/sources/stars/stars.txt, the compact star list the data builder reads, from
d3-celestial's stars.8.json (the XHIP compilation as GeoJSON): one star per line, brightest first,
declination in degrees, right ascension in hours, V magnitude and B-V (left out when the catalogue
has none), J2000. Usage: make_star_list.py stars.8.json > stars.txt"""
import json
import sys

FAINTEST = 7.0  # the builder keeps stars to 6.5; a little beyond leaves room to change that


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: make_star_list.py stars.8.json > stars.txt")
    with open(sys.argv[1], encoding="utf-8") as source:
        features = json.load(source)["features"]
    stars = []
    for feature in features:
        mag = feature["properties"]["mag"]
        if mag is None or mag > FAINTEST:
            continue
        lon, dec = feature["geometry"]["coordinates"]
        ra_hours = (lon % 360.0) / 15.0
        bv = (feature["properties"].get("bv") or "").strip()
        stars.append((mag, dec, ra_hours, bv))
    stars.sort(key=lambda s: (s[0], s[1], s[2]))
    out = sys.stdout
    out.write("# Stars to V magnitude %.1f from XHIP (Anderson & Francis 2012) as packaged by\n" % FAINTEST)
    out.write("# d3-celestial 0.7.35 (stars.8.json; see LICENSE-d3-celestial), J2000.\n")
    out.write("# declination (deg)  right ascension (h)  V magnitude  B-V\n")
    for mag, dec, ra_hours, bv in stars:
        line = "%.4f %.5f %.2f" % (dec, ra_hours, mag)
        if bv:
            line += " %.3f" % float(bv)
        out.write(line + "\n")


if __name__ == "__main__":
    main()
