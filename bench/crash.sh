#!/usr/bin/env bash
# The crash test at full length: SIGKILLs at random moments of archive
# appends and deletes and of registry writes (the CTest run does 50). The last
# line reads "N kills, M lost, K left behind".
#   bench/crash.sh [kills] [build dir]
set -u
"${2:-build}/bin/kv_crashtest" "${1:-200}"
