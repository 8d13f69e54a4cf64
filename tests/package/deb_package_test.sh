#!/usr/bin/env bash
# The Debian package under its real hosts: lintian finds no error; its contents, unpacked with
# dpkg-deb -x into a temporary root, serve a new user with no set-up (frames drawn from the packaged
# read-only data, caches in the user's cache folder); Debian's XScreenSaver runs the hack as an
# ordinary user, the hack draws the globe and ends cleanly when XScreenSaver exits.
# Usage: deb_package_test.sh PACKAGE.deb
set -uo pipefail
deb=$1
fail() { echo "deb_package_test: $*" >&2; exit 1; }
[ -f "$deb" ] || fail "no package at $deb"
for tool in lintian dpkg-deb Xvfb xscreensaver xscreensaver-command import convert; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/setup.sh)"
done

work=$(mktemp -d /tmp/redsphere-deb.XXXXXX)
chmod 755 "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

echo "== lintian"
report=$(lintian --fail-on error "$deb" 2>&1)
status=$?
grep -v "root privileges" <<<"$report"
[ "$status" = 0 ] || fail "lintian reports errors"

echo "== contents"
root=$work/root
dpkg-deb -x "$deb" "$root" || fail "dpkg-deb -x failed"
for path in usr/bin/redsphere usr/bin/redsphere-mkdata usr/libexec/xscreensaver/redsphere \
            usr/share/xscreensaver/config/redsphere.xml usr/share/applications/redsphere.desktop \
            usr/share/icons/hicolor/256x256/apps/redsphere.png usr/share/man/man6/redsphere.6.gz \
            usr/share/man/man1/redsphere-mkdata.1.gz usr/share/redsphere/data/nodes8.hex \
            usr/share/redsphere/data/topo8.hex usr/share/redsphere/data/starsbr.hex \
            usr/share/redsphere/sources/SHA256SUMS usr/share/doc/redsphere/copyright; do
  [ -e "$root/$path" ] || fail "the package lacks /$path"
done
[ "$(readlink -f "$root/usr/libexec/xscreensaver/redsphere")" = "$root/usr/bin/redsphere" ] ||
  fail "the hack does not lead to /usr/bin/redsphere"
# The packaged builder finds its sources beside it and accepts them.
"$root/usr/bin/redsphere-mkdata" --help >/dev/null || fail "redsphere-mkdata --help failed"

# An ordinary user: XScreenSaver never runs hacks as root, and the packaged data must serve a
# user who cannot write it.
user=$(id -un)
as_user=()
if [ "$(id -u)" = 0 ]; then
  user=redsphere-tester
  id "$user" >/dev/null 2>&1 || useradd --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" ||
    fail "cannot make the user $user"
  as_user=(runuser -u "$user" --)
fi
home=$work/home
mkdir -p "$home"
chown "$user" "$home"
userenv=(env -i HOME="$home" USER="$user" PATH="$root/usr/bin:/usr/bin:/bin" XDG_DATA_DIRS="$root/usr/share"
         LIBGL_ALWAYS_SOFTWARE=1)

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp +extension GLX 3>"$work/display" 2>/dev/null &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
display=:$(head -n 1 "$work/display")
[ "$display" != ":" ] || fail "Xvfb did not start"

echo "== a new user's first frames from the packaged data"
"${as_user[@]}" "${userenv[@]}" DISPLAY="$display" redsphere --frames 3 --out "$home/frames" \
  >"$work/frames.log" 2>&1 || { cat "$work/frames.log"; fail "redsphere --frames failed"; }
[ -f "$home/frames/frame-00003.png" ] || fail "no frames written"
[ -n "$(find "$home/.cache/redsphere" -name 'terra8.hex*' 2>/dev/null)" ] ||
  fail "the derived colours were not cached in the user's cache folder"
[ -z "$(find "$root/usr/share/redsphere/data" -newer "$deb" -type f)" ] || fail "the packaged data was written"

echo "== XScreenSaver runs the hack"
cat >"$home/.xscreensaver" <<'XSS'
timeout: 0:30:00
lock: False
fade: False
unfade: False
splash: False
mode: one
selected: 0
programs: GL: redsphere --root \n
XSS
chown "$user" "$home/.xscreensaver"
"${as_user[@]}" "${userenv[@]}" DISPLAY="$display" xscreensaver -no-splash -verbose >"$work/xscreensaver.log" 2>&1 &
pids+=($!)
command_env=("${as_user[@]}" "${userenv[@]}" DISPLAY="$display")
for _ in $(seq 50); do "${command_env[@]}" xscreensaver-command -version >/dev/null 2>&1 && break; sleep 0.2; done
"${command_env[@]}" xscreensaver-command -activate >/dev/null 2>&1 || { cat "$work/xscreensaver.log"; fail "xscreensaver-command -activate failed"; }
hack=""
for _ in $(seq 100); do hack=$(pgrep -u "$user" -x redsphere | head -n 1); [ -n "$hack" ] && break; sleep 0.2; done
[ -n "$hack" ] || { cat "$work/xscreensaver.log"; fail "XScreenSaver did not start the hack"; }
# The globe: Mars' colours in the middle of the screen once loading is over.
globe=0
for _ in $(seq 30); do
  sleep 1
  DISPLAY=$display import -window root "$work/screen.png" 2>/dev/null || continue
  read -r r g b < <(convert "$work/screen.png" -gravity center -crop 160x160+0+0 -resize 1x1 -depth 8 \
                     -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:)
  if [ "${r:-0}" -gt 60 ] && [ "$r" -gt $((b + 25)) ]; then globe=1; break; fi
done
[ "$globe" = 1 ] || { cat "$work/xscreensaver.log"; fail "no globe on the screen (centre colour $r $g $b)"; }

"${command_env[@]}" xscreensaver-command -exit >/dev/null 2>&1
for _ in $(seq 50); do kill -0 "$hack" 2>/dev/null || break; sleep 0.2; done
kill -0 "$hack" 2>/dev/null && fail "the hack outlived XScreenSaver"
for _ in $(seq 50); do pgrep -u "$user" -x xscreensaver >/dev/null || break; sleep 0.2; done
if grep -E "X Error|terminate called|Aborted|core dumped|redsphere.*(crashed|signal|abnormally)" "$work/xscreensaver.log"; then
  fail "the hack did not end cleanly"
fi
echo "deb_package_test: lintian clean, frames for a new user, the hack drew the globe and ended cleanly"
