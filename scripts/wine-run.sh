#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (CTest's emulator).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"
ensure_wineprefix
exec wine "$@"
