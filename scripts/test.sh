#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test: natively, then the Windows
# build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux
cmake --build --preset linux
ctest --preset linux
# The mesh worker's hand-over under ThreadSanitizer: only the mesh tests are built.
cmake --preset tsan
cmake --build --preset tsan
ctest --preset tsan
cmake --preset windows
cmake --build --preset windows
ctest --preset windows
