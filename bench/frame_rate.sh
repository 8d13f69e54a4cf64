#!/usr/bin/env bash
# Frame rates of the Linux program in a 1280 x 720 window on a private Xvfb (Mesa's llvmpipe where
# there is no GPU), side by side in one run: the defaults (adaptive quality on), the defaults with
# the quality pinned (as before adaptive quality), and shadows off with the quality pinned. Each
# runs SECONDS; the rate is the mean of the -fps reports after the first 20 s.
# Usage: bench/frame_rate.sh DATA_FOLDER [SECONDS]   (build/linux built first)
set -euo pipefail
cd "$(dirname "$0")/.."
data=${1:?usage: bench/frame_rate.sh DATA_FOLDER [SECONDS]}
seconds=${2:-60}
program=build/linux/shell/linux/redsphere
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
run() {
  local name=$1; shift
  local out="$home/$name.txt"
  # The program's own settings file stays out of it: a fresh home, the options alone.
  HOME="$home" XVFB_GEOMETRY=1280x720x24 tests/xvfb/run_with_xvfb.sh \
    timeout -s INT "$seconds" "$program" --data "$data" --size 1280x720 --fps "$@" >"$out" 2>"$home/$name.err" || true
  local rate
  rate=$(awk -v skip=4 '/frames per second/ { if (++n > skip) { sum += $2; count++ } }
                        END { if (count) printf "%.2f", sum / count; else print "none" }' "$out")
  printf '%-34s %8s frames per second\n' "$name" "$rate"
  grep 'quality' "$home/$name.err" | sed 's/^/    /' || true
}
run "default (adaptive quality)"
run "default, quality pinned" --adapt-quality 0
run "shadows off, quality pinned" --shadows 0 --adapt-quality 0
