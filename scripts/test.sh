#!/usr/bin/env bash
# Installs what is missing, builds the native and Windows trees and runs every test.
# Arguments, if any, go to the Windows tests' CTest (for instance -R open_file).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

"$ROOT/scripts/install-deps.sh" --tests
build_native
build_native_asserts
build_win
ensure_wineprefix
start_xvfb
trap 'wineserver -k 2>/dev/null || true; stop_xvfb' EXIT
start_wine_session

logs="$BUILD/test-logs"
mkdir -p "$logs"
status=0
echo "== Native unit tests =="
ctest --test-dir "$NATIVE_BUILD" --output-on-failure -j "$(nproc)" 2>&1 | tee "$logs/native.log" || status=1
echo "== Native unit tests with assertions on =="
ctest --test-dir "$NATIVE_ASSERTS_BUILD" --output-on-failure -j "$(nproc)" 2>&1 |
  tee "$logs/native-asserts.log" || status=1
echo "== Windows tests under Wine =="
# In parallel where they share nothing: the tests declare the display, settings and
# folders they share (RESOURCE_LOCK), and those run one at a time.
ctest --test-dir "$WIN_BUILD" --output-on-failure -j "$(nproc)" "$@" 2>&1 | tee "$logs/win.log" || status=1

# One closing line for all the runs: "N passed, N failed, N skipped". CTest counts a
# skipped test among the passed ones and lists it under the tests that did not run.
all_logs=("$logs/native.log" "$logs/native-asserts.log" "$logs/win.log")
read -r total failed < <(cat "${all_logs[@]}" |
  sed -n 's/.*tests passed, \([0-9]*\) tests\? failed out of \([0-9]*\).*/\2 \1/p' |
  awk '{t += $1; f += $2} END {print t + 0, f + 0}')
skipped=$(cat "${all_logs[@]}" | grep -cE '^[[:space:]]*[0-9]+ - .* \(Skipped\)$' || true)
echo "all: $((total - failed - skipped)) passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] || status=1
exit $status
