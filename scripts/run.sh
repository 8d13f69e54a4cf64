#!/usr/bin/env bash
# The one command for a fresh machine: installs what is missing and builds the native program and
# tools and the Windows screensaver.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux
cmake --build --preset linux
cmake --preset windows
cmake --build --preset windows
echo "run: built build/linux and build/windows"
