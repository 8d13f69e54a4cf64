#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test: natively, then the Windows
# build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux
cmake --build --preset linux
ctest --preset linux
cmake --preset windows
cmake --build --preset windows
ctest --preset windows
