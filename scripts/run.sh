#!/usr/bin/env bash
# The one command for a fresh machine: installs what is missing, builds the Linux program and the
# data builder (only those: scripts/package.sh builds the Windows screensaver and the packages),
# makes the default level-8 map data when there is none, and starts the program on the user's
# display (or, with no display, renders a short flyby to PNGs).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux
cmake --build --preset linux --target redsphere redsphere-mkdata
# A level-8 data set in the default data folder when it has none (the Linux default of
# settings/linux/file_store.cpp; redsphere-mkdata FOLDER builds one anywhere else): the real Mars
# from data/sources. A set without redsphere-data.txt was made by an older builder from invented
# data and is rebuilt.
if [[ "${XDG_DATA_HOME:-}" == /* ]]; then data="$XDG_DATA_HOME/redsphere"; else data="${HOME:-.}/.local/share/redsphere"; fi
if [ ! -f "$data/nodes8.hex" ] || [ ! -f "$data/redsphere-data.txt" ]; then
  build/linux/tools/mkdata/redsphere-mkdata --level 8 "$data"
fi
echo "run: built the program and the data builder in build/linux; map data in $data"
# Start the Linux program on the user's display (Esc or the window's close button ends it), or,
# with no display, render a short flyby to PNG files (a private Xvfb draws them).
redsphere=build/linux/shell/linux/redsphere
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "run: starting $redsphere --data $data (Esc ends it; --help lists the options)"
  exec "$redsphere" --data "$data"
fi
frames=${REDSPHERE_FRAMES:-$PWD/build/flyby}
"$redsphere" --data "$data" --frames 60 --out "$frames"
echo "run: no display; two seconds of the flyby as 60 PNG pictures in $frames"
