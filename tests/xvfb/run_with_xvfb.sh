#!/usr/bin/env bash
# Runs one command on a private Xvfb server (display number chosen by Xvfb itself, so parallel
# tests never collide) with Mesa's software OpenGL, and ends the server before it returns.
set -u
command -v Xvfb >/dev/null || { echo "run_with_xvfb: Xvfb is not installed (scripts/setup.sh)" >&2; exit 1; }
geometry=${XVFB_GEOMETRY:-1280x1024x24}
fifo=$(mktemp -u /tmp/redsphere-xvfb.XXXXXX)
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp +extension GLX 3>"$fifo" 2>/dev/null &
xvfb=$!
read -r -t 20 number <"$fifo"
rm -f "$fifo"
if [ -z "${number:-}" ]; then
  kill "$xvfb" 2>/dev/null
  echo "run_with_xvfb: Xvfb did not start" >&2
  exit 1
fi
trap 'kill "$xvfb" 2>/dev/null; wait "$xvfb" 2>/dev/null' EXIT
DISPLAY=:$number LIBGL_ALWAYS_SOFTWARE=1 "$@"
