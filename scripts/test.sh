#!/usr/bin/env bash
# Installs what is missing, builds both trees and runs every test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$ROOT/scripts/install-deps.sh"
build_native
build_win
ensure_wineprefix
start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
start_wine_session

status=0
echo "== Native unit tests =="
ctest --test-dir "$NATIVE_BUILD" --output-on-failure -j "$(nproc)" || status=1
echo "== Windows tests under Wine =="
ctest --test-dir "$WIN_BUILD" --output-on-failure || status=1
exit $status
