#!/usr/bin/env bash
# start PREFIX: makes (or updates) the Wine prefix and leaves a wineserver running for the tests.
# stop PREFIX: ends that prefix's wineserver and every Wine process in it.
set -u
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
case $action in
  start)
    mkdir -p "$WINEPREFIX"
    timeout 300 /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1
    status=$?
    timeout 60 /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true
    exit $status ;;
  stop)
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    timeout 30 /usr/lib/wine/wineserver -w >/dev/null 2>&1 || true ;;
  *) echo "usage: wine_prefix.sh start|stop PREFIX" >&2; exit 2 ;;
esac
