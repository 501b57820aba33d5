#!/usr/bin/env bash
# A small disk for the full-disk test: "mount DIR" puts a 64 KiB tmpfs at DIR,
# "umount DIR" removes it. Mounting needs root (as the test machines run); elsewhere the
# test that needs it reports itself skipped.
set -u
action="${1:?usage: full-disk.sh mount|umount DIR}"
dir="${2:?usage: full-disk.sh mount|umount DIR}"
case "$action" in
  mount)
    mkdir -p "$dir"
    mountpoint -q "$dir" && umount "$dir"
    if ! mount -t tmpfs -o size=64k tmpfs "$dir" 2>/dev/null; then
      echo "could not mount a small tmpfs at $dir (not root?): the full-disk test will be skipped"
    fi
    exit 0 ;;
  umount)
    mountpoint -q "$dir" && umount "$dir"
    exit 0 ;;
esac
exit 2
