#!/usr/bin/env bash
# Soak runs: the Linux program shows the flyby at level 16 on a private Xvfb while its resident
# memory, open descriptors and threads are sampled, and the Windows saver runs under Wine on a
# private Xvfb while a small Windows program samples its private bytes and GDI/USER objects.
# Each run ends with the growth from the first sample after its first minute to its last.
#   scripts/soak.sh [--linux-minutes 30] [--wine-minutes 10] [--interval 30] [--out build/soak]
#                   [--full-quality]
# --full-quality turns adaptive quality off in both programs, so shadows and the whole triangle
# limits stay on however slowly frames come (two runs side by side on two cores are slow).
# A run of 0 minutes is left out. Needs the linux and windows builds (scripts/run.sh makes both).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_minutes=30 wine_minutes=10 interval=30 out=build/soak adapt=1
while [ $# -gt 0 ]; do
  case $1 in
    --linux-minutes) linux_minutes=$2; shift 2 ;;
    --wine-minutes) wine_minutes=$2; shift 2 ;;
    --interval) interval=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --full-quality) adapt=0; shift ;;
    --phase) phase=$2; shift 2 ;;  # internal: one run on the Xvfb that run_with_xvfb.sh started
    --adapt) adapt=$2; shift 2 ;;  # internal: the setting the phase runs with
    *) echo "soak.sh: unknown option '$1' (see the comment at the top of scripts/soak.sh)" >&2; exit 2 ;;
  esac
done
for value in "$linux_minutes" "$wine_minutes" "$interval"; do
  case $value in '' | *[!0-9]*) echo "soak.sh: minutes and seconds must be whole numbers, not '$value'" >&2; exit 2 ;; esac
done
[ "$interval" -ge 1 ] || { echo "soak.sh: --interval must be at least 1 second" >&2; exit 2; }
mkdir -p "$out"
out=$(cd "$out" && pwd)
program=$root/build/linux/shell/linux/redsphere
mkdata=$root/build/linux/tools/mkdata/redsphere-mkdata
scr=$root/build/windows/shell/redsphere.scr
data=$out/data16
wine=/usr/lib/wine/wine64 wineserver=/usr/lib/wine/wineserver

# Growth of one CSV column after the first minute, in per cent of its mean there: the change a
# least-squares line through those samples makes over their span (the samples wander with what
# the flyby shows, so the two end samples alone would mislead), then the span of the samples.
growth() {
  awk -F, -v c="$2" 'NR > 1 && $1 >= 60 && $c != "" { n++; x[n] = $1; y[n] = $c; sx += $1; sy += $c }
    END {
      if (n < 2 || sy == 0) { printf "n/a"; exit }
      mx = sx / n; my = sy / n; low = high = y[1]
      for (i = 1; i <= n; i++) { sxy += (x[i] - mx) * (y[i] - my); sxx += (x[i] - mx) ^ 2
        if (y[i] < low) low = y[i]; if (y[i] > high) high = y[i] }
      printf "trend %+.2f %%, samples %.2f %% apart at most", 100 * sxy / sxx * (x[n] - x[1]) / my, 100 * (high - low) / my
    }' "$1"
}

summary() {
  local csv=$1; shift
  local line="soak.sh: $(basename "$csv" .csv): $(($(wc -l <"$csv") - 1)) samples;"
  for column in "$@"; do
    local name index
    name=${column%%:*} index=${column##*:}
    if ! awk -F, -v c="$index" 'NR > 1 && $c != "" { found = 1 } END { exit !found }' "$csv"; then
      line+=" $name not reported;"
      continue
    fi
    line+=" $name $(awk -F, -v c="$index" 'NR == 2 { first = $c } { last = $c } END { printf "%s -> %s", first, last }' "$csv")"
    line+=" (after 1 min: $(growth "$csv" "$index"));"
  done
  echo "$line"
}

# Where a process's resident memory lies, in KiB, from /proc/PID/smaps: "WINDOWS,HEAP,ANON,FILES".
# WINDOWS is the anonymous memory below 0x7f0000000000, where Wine puts a Windows program's own
# allocations and native libraries do not go (0 for a Linux program); HEAP is the C library's main
# heap; ANON the rest of the anonymous memory (the GL driver's, thread stacks, the Linux program's
# own large arrays); FILES what is mapped from files (libraries, the data tables).
memory_census() {
  awk '/^[0-9a-f]+-[0-9a-f]+ / {
         start = substr($1, 1, index($1, "-") - 1); name = $6
         low = length(start) < 12 || (length(start) == 12 && start < "7f0000000000"); next }
       /^Rss:/ {
         if (name == "[heap]") heap += $2
         else if (name != "" && name !~ /^\[/) files += $2
         else if (low && wine) windows += $2
         else anon += $2 }
       END { printf "%d,%d,%d,%d", windows, heap, anon, files }' wine="$2" "/proc/$1/smaps" 2>/dev/null || echo ",,,"
}

# ---- one run each, on the display run_with_xvfb.sh made ------------------------------------------

linux_phase() {
  local home=$out/linux-home csv=$out/linux.csv
  rm -rf "$home" && mkdir -p "$home"
  # The user's own settings and caches stay out of it: folders of the run's own.
  HOME=$home XDG_CONFIG_HOME=$home/config XDG_CACHE_HOME=$home/cache XDG_DATA_HOME=$home/share \
    "$program" --data "$data" --max-ppd 16 --adapt-quality "$adapt" --size 800x600 >"$out/linux.log" 2>&1 &
  program_pid=$!
  local pid=$program_pid samples=$((linux_minutes * 60 / interval)) start=$SECONDS
  # Ended here, before run_with_xvfb.sh ends the X server under it.
  trap 'kill "$program_pid" 2>/dev/null; wait "$program_pid" 2>/dev/null' EXIT
  echo "seconds,rss_kib,descriptors,threads,windows_kib,heap_kib,anon_kib,files_kib" >"$csv"
  for ((i = 0; i <= samples; i++)); do
    [ -d "/proc/$pid" ] || { echo "soak.sh: redsphere ended early, see $out/linux.log" >&2; return 1; }
    local rss threads fds
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    threads=$(awk '/^Threads:/ { print $2 }' "/proc/$pid/status")
    fds=$(find "/proc/$pid/fd" -mindepth 1 -maxdepth 1 | wc -l)
    echo "$((SECONDS - start)),$rss,$fds,$threads,$(memory_census "$pid" 0)" >>"$csv"
    [ "$i" -lt "$samples" ] && sleep "$interval"
  done
  summary "$csv" rss_kib:2 descriptors:3 threads:4 heap:6 anon:7 files:8
}

# The Unix process of the saver that runs in this Wine prefix (Wine keeps WINEPREFIX in its
# environment): a test's saver in a prefix of its own may run on the machine at the same time.
saver_in_prefix() {
  local pid
  for pid in $(pgrep -f 'redsphere\.scr /s'); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$1"; then
      echo "$pid"
      return
    fi
  done
}

wine_phase() {
  local prefix=$out/wineprefix csv=$out/wine.csv unix_csv=$out/wine-unix.csv
  local samples=$((wine_minutes * 60 / interval))
  export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= HOME=$out/wine-home
  rm -rf "$prefix" "$HOME" && mkdir -p "$HOME"
  # A copy of the build's prefix, so the soak's registry values never reach the tests'.
  cp -a "$root/build/windows/wineprefix" "$prefix"
  trap '"$wineserver" -k 2>/dev/null; timeout 30 "$wineserver" -w 2>/dev/null || true' EXIT
  local reg=$out/soak.reg windata
  windata="Z:$(echo "$data" | sed 's|/|\\\\|g')"
  printf 'Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Redsphere]\r\n"DataPath"="%s"\r\n\r\n[HKEY_CURRENT_USER\\Software\\Redsphere\\Screensaver]\r\n"MaxPPD"=dword:00000010\r\n"AdaptQuality"=dword:%08x\r\n' \
    "$windata" "$adapt" >"$reg"
  "$wine" reg import "Z:$(echo "$reg" | sed 's|/|\\|g')" >/dev/null 2>&1
  "$wine" "$scr" /s >"$out/wine.log" 2>&1 &
  local saver=$!
  "$wine" "$out/saver_sampler.exe" redsphere.scr "$interval" $((samples + 1)) >"$csv" 2>"$out/wine-sampler.log" &
  local sampler=$!
  # The same process as Linux sees it: the resident memory of Wine's process for the saver.
  echo "seconds,rss_kib,windows_kib,heap_kib,anon_kib,files_kib" >"$unix_csv"
  local start=$SECONDS
  for ((i = 0; i <= samples; i++)); do
    local pid
    pid=$(saver_in_prefix "$prefix")
    [ -n "$pid" ] && echo "$((SECONDS - start)),$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"),$(memory_census "$pid" 1)" >>"$unix_csv"
    [ "$i" -lt "$samples" ] && sleep "$interval"
  done
  wait "$sampler" || true
  kill "$saver" 2>/dev/null || true
  tr -d '\r' <"$csv" >"$csv.tmp" && mv "$csv.tmp" "$csv"
  summary "$csv" private_bytes:2 working_set:3 pagefile:4 gdi:5 user:6 handles:7
  summary "$unix_csv" rss_kib:2 windows:3 heap:4 anon:5 files:6
}

case ${phase:-} in
  linux) linux_phase; exit ;;
  wine) wine_phase; exit ;;
  '') ;;
  *) echo "soak.sh: unknown phase '$phase'" >&2; exit 2 ;;
esac

# ---- the whole soak ------------------------------------------------------------------------------

if [ "$linux_minutes" -gt 0 ] || [ "$wine_minutes" -gt 0 ]; then
  [ -x "$mkdata" ] || { echo "soak.sh: no $mkdata (cmake --build --preset linux)" >&2; exit 1; }
  if [ ! -f "$data/nodes16.hex" ]; then
    echo "soak.sh: making the level-16 data set in $data"
    "$mkdata" --level 16 "$data"
  fi
fi
if [ "$linux_minutes" -gt 0 ]; then
  [ -x "$program" ] || { echo "soak.sh: no $program (cmake --build --preset linux)" >&2; exit 1; }
  echo "soak.sh: Linux program, $linux_minutes min at level 16, a sample every $interval s"
  XVFB_GEOMETRY=1024x768x24 tests/xvfb/run_with_xvfb.sh "$0" --phase linux --linux-minutes "$linux_minutes" --adapt "$adapt" \
    --interval "$interval" --out "$out"
fi
if [ "$wine_minutes" -gt 0 ]; then
  [ -f "$scr" ] || { echo "soak.sh: no $scr (cmake --build --preset windows)" >&2; exit 1; }
  [ -f build/windows/wineprefix/system.reg ] || tests/wine/wine_prefix.sh start "$root/build/windows/wineprefix"
  x86_64-w64-mingw32-g++-posix -O2 -static -o "$out/saver_sampler.exe" scripts/soak/win32/saver_sampler.cpp -lpsapi
  echo "soak.sh: redsphere.scr under Wine, $wine_minutes min at level 16, a sample every $interval s"
  XVFB_GEOMETRY=1024x768x24 tests/xvfb/run_with_xvfb.sh "$0" --phase wine --wine-minutes "$wine_minutes" --adapt "$adapt" \
    --interval "$interval" --out "$out"
fi
