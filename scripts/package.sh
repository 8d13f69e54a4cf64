#!/usr/bin/env bash
# Builds everything that ships: the Linux program and tools with the Debian package, and the
# Windows screensaver, data builder and setup program (cross-built with MinGW-w64). scripts/run.sh
# builds only what showing the globe needs; this is the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake --preset linux
cmake --build --preset linux
(cd build/linux && cpack >/dev/null)
cmake --preset windows
cmake --build --preset windows
echo "package: $(ls build/linux/packages/*.deb) and $(ls build/windows/redsphere-*-setup.exe)"
