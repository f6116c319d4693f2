#!/usr/bin/env bash
# Counts the program's wake-ups (context switches of all its threads) over a
# minute while it sits hidden in the notification area.
#   bench/wakeups.sh [build/bin/kelvadrin] [seconds]
set -u
program="${1:-build/bin/kelvadrin}"
seconds="${2:-60}"
. "$(dirname "$0")/../tests/e2e/lib.sh"
start_x
start_tray
"$program" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the icon did not dock"
# Let the welcome window go, as a user would.
sleep 3

switches() {
    local total=0 v n
    for status in /proc/"$kv"/task/*/status; do
        v=$(awk '/^voluntary_ctxt_switches/ {print $2}' "$status")
        n=$(awk '/^nonvoluntary_ctxt_switches/ {print $2}' "$status")
        total=$((total + v + n))
    done
    echo "$total"
}
before=$(switches)
sleep "$seconds"
after=$(switches)
threads=$(ls /proc/"$kv"/task | wc -l)
echo "hidden in the tray for ${seconds} s: $((after - before)) wake-ups ($threads threads)"
