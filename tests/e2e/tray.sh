#!/usr/bin/env bash
# The real program under X with a tray host: the icon docks, a click opens the
# main window, "&Zamknij" hides it and the tray menu's "Koniec" ends it.
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
command -v xwininfo >/dev/null 2>&1 || skip "xwininfo is not installed"

start_x
start_tray
"$program" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)

until_ok 20 has_icon || fail "the icon did not dock: $(cat "$work/program.log")"
icon=$(icon_window)
echo "icon docked: $icon"

# The first start shows the welcome; the main window waits for the icon.
until_ok 10 is_visible '^Kelvadrin$' || fail "no first-start window"
[ -z "$(visible_window 'Kelvadrin  v 4.0.0.1')" ] || fail "main window open before the click"

click_in "$icon" 8 8
until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "the click did not open the main window"
main=$(visible_window '^Kelvadrin  v 4\.0\.0\.1$')
echo "main window: $main"

# "&Zamknij" sits at the bottom right, above the status line (below the menu bar).
click_in "$main" 705 544
until_ok 10 is_hidden '^Kelvadrin  v 4\.0\.0\.1$' || fail "&Zamknij did not hide the window"
kill -0 "$kv" 2>/dev/null || fail "the program ended on &Zamknij"
echo "hidden, still running"

# The tray menu: its last item is "Koniec".
click_in "$icon" 8 8 3
sleep 0.5
xdotool key Up Return
until_ok 10 sh -c "! kill -0 $kv" || fail "Koniec did not end the program"
wait "$kv"
echo "1 passed, 0 failed"
