#!/usr/bin/env bash
# Makes the media files the Windows tests use, into the folder given: every snippet in
# tests/media/*.sh runs there and makes the files it owns when they are missing. The
# first failure stops it (and fails the tests' media fixture).
set -euo pipefail
out="${1:?usage: make-test-media.sh DIR}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
mkdir -p "$out"
cd "$out"
for snippet in "$here"/tests/media/*.sh; do
  bash "$snippet"
done
