#!/usr/bin/env bash
# The icon as a StatusNotifierItem on a private session bus, with no XEmbed tray:
# it registers with the watcher, names its icon, offers the tray menu (read and
# clicked as plain D-Bus calls and through libdbusmenu's client, as panels do)
# and opens the main window on Activate; it registers again when the watcher comes back
# (a panel restart) and when the watcher comes only after the program.
set -u
program="$1"
. "$(dirname "$0")/lib.sh"

start_x
start_wm
start_bus

# start_watcher LOG: a watcher logging to LOG, once it owns its name.
start_watcher() {
    "${desktop_bus[@]}" watcher "$1" 2>>"$work/watcher.err" &
    watcher=$!
    pids+=($watcher)
    until_ok 10 test -e "$1" || fail "the watcher did not start: $(cat "$work/watcher.err")"
}
stop_watcher() { kill "$watcher"; wait "$watcher" 2>/dev/null; }

# registered LOG: waits for the item in LOG, and sets item to its service and path.
registered() {
    until_ok 10 grep -q '^registered ' "$1" || fail "$2: the item did not register"
    read -ra item < <(grep '^registered ' "$1" | tail -n 1 | cut -d ' ' -f 2-)
    echo "registered ($2): ${item[*]}"
}
ask() { "${desktop_bus[@]}" item "${item[@]}" "$@"; }

start_watcher "$work/watcher1.log"
"$program" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
registered "$work/watcher1.log" "watcher first"
icon=$(ask prop IconName) || fail "no IconName"
[ "$icon" = kelvadrin ] || fail "IconName is \"$icon\""
labels=$(ask menu-labels | paste -sd '|') || fail "the menu could not be read"
[ "$labels" = 'Ustawienia|O programie|Pomoc|Koniec' ] || fail "menu: $labels"
ask menu-click Ustawienia || fail "Ustawienia could not be clicked"
until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "Ustawienia did not open the main window"
# As panels built on libdbusmenu call it: the group methods.
client() { /usr/bin/python3 "$(dirname "$0")/dbusmenu_client.py" "${item[@]}" "$@"; }
if /usr/bin/python3 -c 'import gi; gi.require_version("Dbusmenu", "0.4")' 2>/dev/null; then
    client members || fail "the menu's interface is not whole"
    labels=$(client labels | paste -sd '|') || fail "libdbusmenu could not read the menu"
    [ "$labels" = 'Ustawienia|O programie|Pomoc|Koniec' ] || fail "menu through libdbusmenu: $labels"
    client click 'O programie' || fail "O programie could not be clicked through libdbusmenu"
    until_ok 10 is_visible '^O programie\.\.\.$' || fail "O programie did not open its window"
    client click Pomoc || fail "Pomoc could not be clicked through libdbusmenu"
    until_ok 10 is_visible '^Kelvadrin - pomoc\.\.\.$' || fail "Pomoc did not open the help"
    quit() { client click Koniec; }
else
    echo "libdbusmenu's client is not installed: its part is left out"
    quit() { ask menu-click Koniec; }
fi

stop_watcher
start_watcher "$work/watcher2.log"
registered "$work/watcher2.log" "watcher restarted"
stop_watcher
kill "$kv"; wait "$kv" 2>/dev/null

# No watcher while the program starts: it docks nothing, and waits for one.
KELVADRIN_SAY_IDLE=1 "$program" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 grep -qx idle "$work/program.log" || fail "the program did not start: $(cat "$work/program.log")"
start_watcher "$work/watcher3.log"
registered "$work/watcher3.log" "watcher later"
ask activate || fail "Activate failed"
until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "Activate did not open the main window"
quit || fail "Koniec could not be clicked"
until_ok 10 sh -c "! kill -0 $kv" || fail "Koniec did not end the program"
echo "PASS"
