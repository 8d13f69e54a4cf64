#!/usr/bin/env bash
# CTest's emulator for the Windows build: runs one Windows program under 64-bit Wine, quietly,
# in the Wine prefix named by WINEPREFIX (the build's own, set by CTest).
set -u
: "${WINEPREFIX:?set WINEPREFIX to the Wine prefix of this build}"
export WINEPREFIX WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts in a new prefix.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
exec /usr/lib/wine/wine64 "$@"
