#!/usr/bin/env bash
# Runs a test program with REDSPHERE_FULL_DISK naming a small tmpfs of its own (24 MiB, or
# REDSPHERE_FULL_DISK_SIZE): mounted
# in a mount namespace of this run (unshare -rm, so any user may, and nothing outside sees it),
# gone when the run ends. Status 77 (skipped) where the namespace or the mount cannot be made.
set -u
if [ -z "${REDSPHERE_FULL_DISK:-}" ]; then
  unshare -rm true 2>/dev/null || { echo "full_disk: no mount namespace here" >&2; exit 77; }
  exec unshare -rm env REDSPHERE_FULL_DISK=pending "$0" "$@"
fi
disk=$(mktemp -d /tmp/redsphere-full-disk.XXXXXX)
if ! mount -t tmpfs -o "size=${REDSPHERE_FULL_DISK_SIZE:-24m}" tmpfs "$disk"; then
  rmdir "$disk"
  echo "full_disk: cannot mount a tmpfs" >&2
  exit 77
fi
REDSPHERE_FULL_DISK=$disk "$@"
status=$?
umount "$disk" && rmdir "$disk"
exit $status
