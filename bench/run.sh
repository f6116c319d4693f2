#!/usr/bin/env bash
# Every speed and memory figure in one table: builds what it needs, starts a
# private X server (no window manager, no panel: bench_desktop is the
# notification area itself) and runs the bench programs. The table goes to
# stdout and to <build>/bench-table.md, progress to stderr. Exit status 0 when
# every target is met, 1 otherwise (the figures missed are named).
#   bench/run.sh [quick]     quick: 7 start-up rounds (the wake-up windows are
#                            60 s in either: shorter ones measure where they start)
# KV_BUILD_DIR as for scripts/build.sh; KV_BUILD_LOCK names a lock file the
# build step holds (machines where several builds share the cores).
set -u
cd "$(dirname "$0")/.."
build="${KV_BUILD_DIR:-build}"
rounds=9 seconds=60
if [ "${1:-}" = quick ]; then
    rounds=7 seconds=60
elif [ -n "${1:-}" ]; then
    echo "usage: bench/run.sh [quick]" >&2
    exit 2
fi

export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
    command -v ccache >/dev/null 2>&1 && options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    cmake -S . -B "$build" "${options[@]}" >&2 || exit 2
fi
lock=()
[ -n "${KV_BUILD_LOCK:-}" ] && lock=(flock "$KV_BUILD_LOCK")
"${lock[@]}" cmake --build "$build" -j"$(nproc)" --target kelvadrin bench_bare_tray \
    bench_desktop bench_archive bench_archive_search bench_addressbook bench_interchange \
    bench_vcard bench_sync >&2 || exit 2
bin="$build/bin"
table="$build/bench-table.md"

. tests/e2e/lib.sh
start_x
# The calendar server of the sync figures.
mkdir -p "$work/radicale"
coproc RADICALE { exec /usr/bin/python3 tests/sync/radicale_server.py --dir "$work/radicale" \
    --create-calendar kalendarz --create-addressbook kontakty; }
pids+=($RADICALE_PID)
read -r -t 30 sync_server <&"${RADICALE[0]}" || { echo "Radicale did not start" >&2; exit 2; }

# The first program prints the table's header, the others only their rows. A
# program that ends in failure without a missed figure could not measure.
failed=()
run() {
    "$@" | tee "$work/rows"
    local status=${PIPESTATUS[0]}
    cat "$work/rows" >>"$table"
    [ "$status" = 0 ] || grep -q '| no |$' "$work/rows" || failed+=("$(basename "$1")")
}
: >"$table"
# A session bus of its own for the wake-up row that has one.
bus_address=
if command -v dbus-daemon >/dev/null 2>&1; then
    { read -r bus_address && read -r bus_pid && pids+=("$bus_pid"); } < \
        <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
fi
# On it an unlocked keyring, as a desktop session has one: the sync memory
# figure as most users have it. (gnome-keyring and libsecret-tools: not
# installed by scripts/install-deps.sh, which would bring a user session's
# bus and systemd into every test machine; without them the row is left out.)
keyring_bus=
if [ -n "$bus_address" ] && command -v gnome-keyring-daemon >/dev/null 2>&1 &&
    command -v secret-tool >/dev/null 2>&1; then
    mkdir -p "$work/keyring"
    if printf bench | HOME="$work/keyring" XDG_DATA_HOME="$work/keyring" \
        DBUS_SESSION_BUS_ADDRESS="$bus_address" \
        gnome-keyring-daemon --daemonize --unlock --components=secrets >/dev/null; then
        keyring_bus=$bus_address
        pids+=($(pgrep -n gnome-keyring-d))
    fi
fi
KV_BENCH_BUS="$bus_address" KV_BENCH_KEYRING_BUS="$keyring_bus" \
    run "$bin/bench_desktop" --kelvadrin "$bin/kelvadrin" \
    --bare "$bin/bench_bare_tray" --rounds "$rounds" --seconds "$seconds" --sync-server "$sync_server"
export KV_BENCH_ROWS_ONLY=1
run "$bin/bench_archive"
run "$bin/bench_archive_search"
run "$bin/bench_addressbook"
run "$bin/bench_interchange"
run "$bin/bench_vcard"
KV_TEST_SOURCE_DIR="$PWD" run "$bin/bench_sync"

missed=$(grep '| no |$' "$table" | cut -d '|' -f 2)
[ -z "$missed" ] || printf 'target not met:%s\n' $'\n'"$missed" >&2
[ ${#failed[@]} = 0 ] || echo "could not measure: ${failed[*]}" >&2
[ -z "$missed" ] && [ ${#failed[@]} = 0 ]
