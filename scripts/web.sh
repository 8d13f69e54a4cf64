#!/usr/bin/env bash
# Redsphere in a web page: installs what is missing, builds the page and its level-8 data set into
# build/web/site (static files: copy the folder to any web host as it is), and serves it on
# 127.0.0.1:PORT (8000 when none is given) until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
port=${1:-8000}
if ! [[ "$port" =~ ^[0-9]+$ ]] || [ "$port" -lt 1 ] || [ "$port" -gt 65535 ]; then
  echo "usage: scripts/web.sh [PORT]   (PORT 1 to 65535, 8000 when none is given)" >&2
  exit 2
fi
bash scripts/setup.sh
bash scripts/web/build_site.sh
site=$PWD/build/web/site
echo "web: the page's folder is $site"
echo "web: serving it at http://127.0.0.1:$port/ (Ctrl+C stops the server)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory "$site"
