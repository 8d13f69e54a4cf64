#!/usr/bin/env bash
# Runs one command on a private X.Org server with two monitors (the dummy driver, laid out with
# RandR) and Mesa's software OpenGL, and ends the server before it returns. The primary DUMMY0 is
# 1280x1024 at 0,0 and DUMMY1 1024x768 at 1280,0: the screen is 2304x1024, and its 256 rows under
# DUMMY1 lie on no monitor. The command sees the layout in TWO_MONITORS
# ("1280x1024+0+0 1024x768+1280+0"). Exit status 77 when no such server can be started here.
set -u
xorg=/usr/lib/xorg/Xorg
for tool in "$xorg" /usr/lib/xorg/modules/drivers/dummy_drv.so "$(command -v xrandr)"; do
  [ -e "$tool" ] || { echo "run_with_two_monitors: ${tool:-xrandr} is missing (scripts/setup.sh)" >&2; exit 77; }
done

work=$(mktemp -d /tmp/redsphere-xorg.XXXXXX)
# A virtual screen as large as both monitors; the dummy driver's frame buffer must hold it.
cat >"$work/xorg.conf" <<'EOF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 3000 1200
  EndSubSection
EndSection
EOF

# NOTE: run as root, X.Org takes a virtual terminal and may open the machine's input devices.
# The dummy driver needs neither, so root runs the server as nobody (the server then runs as
# any user does: no terminal, no devices).
as_user=()
if [ "$(id -u)" = 0 ]; then
  chown nobody:nogroup "$work"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
fi
mkfifo "$work/display"
# -configdir names an empty folder, so nothing in /etc/X11/xorg.conf.d is read; -br makes the root
# window black, as the parts of the screen that no monitor shows are on a real desktop.
"${as_user[@]}" "$xorg" -displayfd 3 -config "$work/xorg.conf" -configdir "$work/none" \
  -logfile "$work/Xorg.log" -noreset -nolisten tcp -br +extension GLX +extension RANDR \
  3>"$work/display" >/dev/null 2>&1 &
server=$!
end_server() {
  kill "$watchdog" "$server" 2>/dev/null
  wait "$server" 2>/dev/null
  rm -rf "$work"
}
trap end_server EXIT
# CTest ends a test past its time limit with SIGKILL, which runs no trap: a watchdog ends the
# command and the server once this script is gone.
(
  while kill -0 $$ 2>/dev/null; do sleep 1; done
  [ -s "$work/command.pid" ] && kill -TERM "$(cat "$work/command.pid")"
  kill "$server"
  sleep 1
  rm -rf "$work"
) >/dev/null 2>&1 &
watchdog=$!

read -r -t 30 number <"$work/display"
if [ -z "${number:-}" ]; then
  echo "run_with_two_monitors: X.Org with the dummy driver did not start:" >&2
  grep -E '^\[ *[0-9.]+\] \(EE\) [A-Za-z]' "$work/Xorg.log" 2>/dev/null | grep -v -e 'config directory' -e dbus >&2
  exit 77
fi
export DISPLAY=:$number LIBGL_ALWAYS_SOFTWARE=1
export TWO_MONITORS="1280x1024+0+0 1024x768+1280+0"

# The dummy driver lists 1024x768 for DUMMY0 only; DUMMY1 gets the mode added, or made first
# where the server lacks it (the standard VESA timing).
layout() {
  xrandr --output DUMMY0 --mode 1280x1024 --pos 0x0 --primary || return 1
  if ! xrandr --addmode DUMMY1 1024x768 2>/dev/null; then
    xrandr --newmode 1024x768 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync &&
      xrandr --addmode DUMMY1 1024x768 || return 1
  fi
  xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 || return 1
  # NOTE: the server answers later clients from the outputs' state it cached at the last poll;
  # one polling query makes it take the new layout, else Wine sees a single monitor.
  xrandr --verbose >/dev/null || return 1
  [ "$(xrandr --listmonitors | head -n 1)" = "Monitors: 2" ]
}
if ! layout >"$work/xrandr.log" 2>&1; then
  echo "run_with_two_monitors: the two monitors could not be laid out:" >&2
  cat "$work/xrandr.log" >&2
  xrandr --listmonitors >&2
  exit 77
fi

# The command runs in the background so that a TERM from CTest reaches this script at once.
"$@" &
command_pid=$!
echo "$command_pid" >"$work/command.pid"
trap 'kill -TERM "$command_pid" 2>/dev/null' TERM INT HUP
while :; do
  wait "$command_pid"
  status=$?
  kill -0 "$command_pid" 2>/dev/null || break
done
exit "$status"
