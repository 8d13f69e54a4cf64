#!/usr/bin/env bash
# Installs what is missing, builds both targets with their packages and runs every test: natively
# (also under the sanitizers, with the fuzz targets), the web page in headless Chromium, then the
# Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
# Everything that ships (both builds and their packages) first, as scripts/package.sh makes it.
bash scripts/package.sh
ctest --preset linux
# The web page (Emscripten, WebGL) and its tests in Debian's headless Chromium.
bash scripts/web/build_site.sh
ctest --preset web
# AddressSanitizer and UndefinedBehaviorSanitizer (clang): the native unit tests that need no X
# server, then each fuzz target for 20 s from its seed corpus.
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
# The mesh worker's hand-over under ThreadSanitizer: only the mesh tests are built.
cmake --preset tsan
cmake --build --preset tsan
ctest --preset tsan
ctest --preset windows
