#!/usr/bin/env bash
# Installs every Debian package that Redsphere's builds, tools and tests need, and unpacks
# GLEW's source (for the MinGW build) into the project's cache folder. Safe to run again:
# packages already present and a source tree already unpacked are left alone.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
cache=${REDSPHERE_CACHE:-$here/.cache}

packages=(
  build-essential cmake ninja-build pkg-config dpkg-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 xvfb xauth xdotool x11-utils imagemagick xdg-user-dirs python3 nsis
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  googletest libgtest-dev libbenchmark-dev clang-14 libclang-rt-14-dev
  libglew-dev libglu1-mesa-dev libgl1-mesa-dri libsdl2-dev libx11-dev libxext-dev libxrandr-dev
  libfreetype-dev fonts-dejavu-core libpng-dev zlib1g-dev libstb-dev libz-mingw-w64-dev
  lintian xscreensaver util-linux passwd
  emscripten chromium nodejs
)

sudo_cmd=()
if [ "$(id -u)" != 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

# GLEW for MinGW is built from Debian's source package, which needs a deb-src entry for the
# suite this machine already uses.
srclist=/etc/apt/sources.list.d/redsphere-src.sources
need_src=0
[ -d "$cache/glew-2.2.0" ] || need_src=1
if [ "$need_src" = 1 ] && [ ! -f "$srclist" ]; then
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
  printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$suite" | "${sudo_cmd[@]}" tee "$srclist" >/dev/null
  missing+=(__update__)
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]/__update__/}"
  "${sudo_cmd[@]}" apt-get update -qq
  real=()
  for p in "${missing[@]}"; do [ "$p" = __update__ ] || real+=("$p"); done
  if [ ${#real[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${real[@]}"
  fi
fi

if [ "$need_src" = 1 ]; then
  mkdir -p "$cache"
  tmp=$(mktemp -d "$cache/glew.XXXXXX")
  fetch_glew() { (cd "$tmp" && { apt-get source -qq 'glew=2.2.0*' >/dev/null 2>&1 || apt-get source -qq glew >/dev/null 2>&1; }); }
  # The source index may be missing or stale on a machine set up earlier: refresh it once and retry.
  fetch_glew || { "${sudo_cmd[@]}" apt-get update -qq && fetch_glew; } || true
  src=$(find "$tmp" -maxdepth 1 -type d -name 'glew-2.2.0*' | head -n 1)
  [ -n "$src" ] && [ -f "$src/src/glew.c" ] || { echo "setup: GLEW 2.2.0 source not found in Debian's source package" >&2; exit 1; }
  rm -rf "$cache/glew-2.2.0"
  mv "$src" "$cache/glew-2.2.0"
  rm -rf "$tmp"
fi

# The web page's tests drive Debian's Chromium with npm's puppeteer-core, at the version the
# lock file records; nothing downloads a browser.
if ! command -v npm >/dev/null; then
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends npm
fi
if [ ! -d "$here/tests/web/node_modules/puppeteer-core" ]; then
  (cd "$here/tests/web" && PUPPETEER_SKIP_DOWNLOAD=1 PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 npm ci --no-audit --no-fund)
fi
