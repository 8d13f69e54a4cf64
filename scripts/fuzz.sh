#!/usr/bin/env bash
# Runs the fuzz targets of the asan build longer than the test does: each for SECONDS (default
# 600) on one core, one after another, from its seed corpus and what earlier runs kept in
# build/fuzz-long/<target>/corpus. libFuzzer's fork mode goes on past a crash; the inputs that
# crashed are left in build/fuzz-long/<target>/artifacts, and each run's log beside them.
#   scripts/fuzz.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(loader_fuzz settings_file_fuzz command_line_fuzz mola_label_fuzz star_list_fuzz)
case $seconds in '' | *[!0-9]*) echo "fuzz.sh: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;; esac

[ -d build/asan ] || cmake --preset asan
cmake --build build/asan --target "${targets[@]}"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in "${targets[@]}"; do
  work=build/fuzz-long/$target
  mkdir -p "$work/corpus" "$work/artifacts" "$work/temp"
  extra=()
  # The loader writes one failure line per refused input; libFuzzer keeps its own reports.
  [ "$target" = loader_fuzz ] && extra=(-close_fd_mask=2)
  echo "fuzz.sh: $target for $seconds s"
  REDSPHERE_TEST_TEMP=$PWD/$work/temp build/asan/fuzz/$target -max_total_time="$seconds" -timeout=10 \
    -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1 -print_final_stats=1 \
    -artifact_prefix="$work/artifacts/" "${extra[@]}" "$work/corpus" "fuzz/corpus/$target" \
    > "$work/fuzz.log" 2>&1 || true
  grep -E '^#[0-9]+.*DONE|^INFO: fuzzed for|crash-|leak-|timeout-|oom-' "$work/fuzz.log" | tail -n 5 || true
  echo "fuzz.sh: $target: $(find "$work/artifacts" -type f | wc -l) inputs in $work/artifacts"
done
