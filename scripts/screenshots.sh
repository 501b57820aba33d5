#!/usr/bin/env bash
# Takes screenshots of the preview on a virtual display: the main window while a sound
# file plays, the video window (paused) and the video in full screen.
# Usage: scripts/screenshots.sh [OUTPUT_DIR]   (default: build/screenshots)
# The test program poses the windows (PreviewVideoTest.ScreenshotPoses) and waits while
# this script takes each shot with ImageMagick's import. SONBREL_SCREENSHOT_POSES, when
# set, names the shots wanted (main-playing, video-window, video-fullscreen).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

out="$(mkdir -p "${1:-$BUILD/screenshots}" && cd "${1:-$BUILD/screenshots}" && pwd)"
# SONBREL_SKIP_SETUP=1: the test run has installed, built and prepared everything.
if [ -z "${SONBREL_SKIP_SETUP:-}" ]; then
  "$ROOT/scripts/install-deps.sh"
  build_win --target preview_video_test
  ensure_wineprefix
fi
start_xvfb
exchange="$(mktemp -d /tmp/sonbrel-shots.XXXXXX)"
cleanup() { rm -rf "$exchange"; stop_xvfb; }
trap cleanup EXIT

media="$WIN_BUILD/test-media"
# The test run has made the media once for every test.
[ -n "${SONBREL_SKIP_SETUP:-}" ] || bash "$ROOT/scripts/make-test-media.sh" "$media"
SONBREL_TEST_MEDIA="$media" SONBREL_SCREENSHOT_DIR="$exchange" \
  wine "$WIN_BUILD/tests/preview_video_test.exe" --gtest_filter='*ScreenshotPoses' >"$exchange/log" 2>&1 &
program=$!

for pose in ${SONBREL_SCREENSHOT_POSES:-main-playing video-window video-fullscreen}; do
  for _ in $(seq 900); do
    [ -f "$exchange/$pose.ready" ] && break
    kill -0 "$program" 2>/dev/null || { cat "$exchange/log" >&2; echo "the program ended early" >&2; exit 1; }
    sleep 0.1
  done
  [ -f "$exchange/$pose.ready" ] || { echo "no pose $pose" >&2; exit 1; }
  import -window root "$out/$pose.png"
  echo "$out/$pose.png"
  touch "$exchange/$pose.done"
done
wait "$program"
