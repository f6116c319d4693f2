#!/usr/bin/env bash
# Start-up time and memory as a desktop session sees them: a private X server
# with a notification area, the program started N times until it is idle.
#   bench/startup.sh [runs] [build dir]
set -u
runs="${1:-20}"
build="${2:-build}"
. "$(dirname "$0")/../tests/e2e/lib.sh"
start_x
start_tray
"$build/bin/bench_startup" "$runs" "$build/bin/kelvadrin"
