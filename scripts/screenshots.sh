#!/usr/bin/env bash
# Makes the screenshots of README.md under a private X server: the main window
# with an appointment in the editor (docs/main-window.png) and the reminder of
# that appointment (docs/reminder.png).
#   scripts/screenshots.sh [PROGRAM]   (default build/bin/kelvadrin)
set -u
cd "$(dirname "$0")/.."
program="$(realpath "${1:-${KV_BUILD_DIR:-build}/bin/kelvadrin}")"
docs="$PWD/docs"
. tests/e2e/lib.sh
for tool in faketime sqlite3 import convert identify openbox pgrep xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is not installed"
done
[ -x "$program" ] || fail "no program at $program (scripts/build.sh makes it)"
mkdir -p "$docs"

start_x
start_wm
start_tray

# stop PID: ends a started program; faketime runs it as its child.
stop() {
    kill $(pgrep -P "$1") "$1" 2>/dev/null
    wait "$1" 2>/dev/null
}

# shot WINDOW FILE: the window with its frame, in few colours.
shot() {
    local frame
    sleep 1
    frame=$(xwininfo -id "$1" -children | awk '/Parent window id/ {print $4}')
    [ -n "$frame" ] && [ "$frame" != "$(xwininfo -root | awk '/Window id/ {print $4}')" ] || frame="$1"
    import -window "$frame" "$work/shot.png" || fail "import failed"
    convert "$work/shot.png" -strip -colors 128 -define png:compression-level=9 "PNG8:$2" ||
        fail "convert failed"
    echo "$2: $(identify -format '%wx%h' "$2"), $(stat -c %s "$2") bytes"
}

# A first start makes the store; the appointment is put in as the editor would.
"$program" >"$work/first.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the first start did not dock its icon: $(cat "$work/first.log")"
kill "$kv"; wait "$kv" 2>/dev/null
put_appointment 'Spotkanie z Łucją w sprawie wyjazdu do Gdańska. Zabrać umowę i zdjęcia.'

# The main window an hour before the appointment, opened from the tray icon.
faketime -f '@2026-12-08 09:00:00' "$program" >"$work/main.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "no tray icon: $(cat "$work/main.log")"
click_in "$(icon_window)" 8 8
until_ok 10 is_visible '^Kelvadrin  v ' || fail "the main window did not open"
shot "$(visible_window '^Kelvadrin  v ')" "$docs/main-window.png"
stop "$kv"

# The reminder: two minutes before the appointment, the clock 60 times fast.
faketime -f '@2026-12-08 09:58:00 x60' "$program" >"$work/reminder.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 30 is_visible '^Kelvadrin - przypomnienie\.\.\.$' ||
    fail "no reminder window: $(cat "$work/reminder.log")"
shot "$(visible_window '^Kelvadrin - przypomnienie\.\.\.$')" "$docs/reminder.png"
stop "$kv"
echo "screenshots made"
