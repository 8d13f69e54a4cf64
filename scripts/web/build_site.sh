#!/usr/bin/env bash
# Builds the web page into build/web/site, a folder of static files: the program (Emscripten,
# through the web preset), the page's HTML, script and style, and the level-8 data set that the
# web build makes with the native data builder (built here first) from data/sources, compressed. scripts/web.sh serves it; the page's tests
# (ctest --preset web) drive it.
set -euo pipefail
cd "$(dirname "$0")/../.."
export NODE_PATH=/usr/share/nodejs
cmake --preset linux >/dev/null
cmake --build --preset linux --target redsphere-mkdata
emcmake cmake --preset web >/dev/null
cmake --build --preset web
