#!/usr/bin/env bash
# Sync as a user sets it up: the real program under a private X server with a
# tray host and a real calendar server (Radicale, or Xandikos, whose
# collections lie deeper). "Synchronizacja..." in the Program menu, the
# server's address, user and password, "Połącz" (the program offers to make
# the missing calendar), "Synchronizuj teraz": the appointment reaches the
# server. Then a change on both sides: the status line reports the conflict
# and both versions are kept. KV_SHOTS=FOLDER keeps screenshots.
#   tests/e2e/sync.sh PROGRAM [radicale|xandikos]
set -u
program="$(realpath "$1")"
kind="${2:-radicale}"
here="$(cd "$(dirname "$0")" && pwd)"
. "$here/lib.sh"
for tool in openbox trayer sqlite3 "$kind"; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done
py=/usr/bin/python3
store="$XDG_CONFIG_HOME/kelvadrin/registry.sqlite3"

# The server's address, then that of the address book it made.
mkdir -p "$work/server"
coproc SERVER { exec "$py" "$here/../sync/${kind}_server.py" --dir "$work/server" --create-addressbook kontakty; }
pids+=($SERVER_PID)
read -r -t 30 server <&"${SERVER[0]}" || fail "$kind did not start"
read -r -t 30 book <&"${SERVER[0]}" || fail "$kind made no address book"
# third COMMAND-JSON: one command of the third client, its answer on stdout.
third() { echo "$1" | "$py" "$here/../sync/third_client.py" "$server" anna tajne; }
setting() { sqlite3 "$store" "SELECT value FROM reg_values WHERE key = 'software\\kelvadrin\\synchronizacja' AND folded = '$1'"; }
shot() {
    [ -n "${KV_SHOTS:-}" ] || return 0
    sleep 0.5
    local frame
    frame=$(xwininfo -id "$1" -children | awk '/Parent window id/ {print $4}')
    import -window "${frame:-$1}" "$KV_SHOTS/$2"
}

start_x
start_wm
start_tray
"$program" >"$work/first.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the first start did not dock its icon: $(cat "$work/first.log")"
kill "$kv"; wait "$kv" 2>/dev/null
# A month ahead of today: the program runs on the real clock here.
put_appointment 'Spotkanie w Gdańsku' "$(date -d '+30 days' +%m/%d/%y)"

"$program" >"$work/kv.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "no tray icon: $(cat "$work/kv.log")"
click_in "$(icon_window)" 8 8
until_ok 20 is_visible '^Kelvadrin  v ' || fail "the main window did not open"
main=$(visible_window '^Kelvadrin  v ')
xdotool windowactivate --sync "$main" key --clearmodifiers alt+r Return
until_ok 10 is_visible '^Synchronizacja$' || fail "no window Synchronizacja: $(cat "$work/kv.log")"
form=$(visible_window '^Synchronizacja$')
xdotool windowactivate --sync "$form" type --delay 20 "$server"
xdotool key Tab type anna
xdotool key Tab type tajne
xdotool key alt+p
# The server has an address book and no calendar: the program offers one.
two_windows() { [ "$(xdotool search --onlyvisible --name '^Synchronizacja$' | wc -l)" -ge 2 ]; }
until_ok 20 two_windows || fail "no question about a calendar: $(cat "$work/kv.log")"
question=$(xdotool search --onlyvisible --name '^Synchronizacja$' | grep -vx "$form" | head -n 1)
# activate WINDOW: asks the window manager for the window until it has the focus.
activate() { xdotool windowactivate --sync "$1" && [ "$(xdotool getactivewindow)" = "$1" ]; }
# Return says yes; a key that came before the question had the focus is sent again.
answered() { ! two_windows; }
for try in 1 2 3; do
    until_ok 10 activate "$question" || fail "the question did not take the focus"
    xdotool key Return
    until_ok 5 answered && break
done
chosen() { [ -n "$(setting calendar)" ]; }
until_ok 20 chosen || fail "no calendar chosen: $(ls -R "$work/server/collections" | head -20; cat "$work/kv.log")"
[ "$(setting 'address book')" = "$book" ] || fail "address book: $(setting 'address book')"
shot "$form" sync.png
until_ok 10 activate "$form" || fail "the window did not take the focus"
xdotool key alt+s
synced() { setting 'last result' | grep -q '^Synchronizacja zakończona'; }
until_ok 30 synced || fail "no sync: $(setting 'last result')"
calendar=$(setting calendar)
third "{\"op\":\"list\",\"collection\":\"$calendar\"}" | grep -q 'Spotkanie w Gda' ||
    fail "the appointment is not on the server"

# Changed on both sides: the server's version takes the slot, this one is kept.
item=$(third "{\"op\":\"list\",\"collection\":\"$calendar\"}" |
    "$py" -c 'import json,sys; i=json.load(sys.stdin)["items"][0]; print(json.dumps({"op":"put_if","href":i["href"],"etag":i["etag"],"data":i["data"].replace("Spotkanie w Gda","Spotkanie w Sopocie nie w Gda")}))')
third "$item" | grep -q '"ok": *true' || fail "the third client could not change the item"
sqlite3 "$store" "UPDATE reg_values SET value = 'Spotkanie w Gdańsku o 11' WHERE key = 'software\\kelvadrin\\terminy' AND folded = 'info 1'"
until_ok 10 activate "$form" || fail "the window did not take the focus"
xdotool key alt+s
conflict() { setting 'last result' | grep -q 'zmienione po obu stronach – 1'; }
until_ok 30 conflict || fail "no conflict reported: $(setting 'last result')"
xdotool key Escape
until_ok 10 is_hidden '^Synchronizacja$' || fail "the window did not close"
shot "$main" sync-conflict.png
slots=$(sqlite3 "$store" "SELECT value FROM reg_values WHERE key = 'software\\kelvadrin\\terminy' AND folded LIKE 'info %' ORDER BY folded")
echo "$slots" | grep -q 'Sopocie' || fail "the server's version is not here: $slots"
echo "$slots" | grep -q 'o 11' || fail "this computer's version was lost: $slots"

# Another client empties the calendar: nothing is deleted here, the program
# asks, and the default answer sends both appointments back.
count() { third "{\"op\":\"list\",\"collection\":\"$calendar\"}" | "$py" -c 'import json,sys; print(len(json.load(sys.stdin)["items"]))'; }
[ "$(count)" = 2 ] || fail "the server holds $(count) items, not 2"
third "{\"op\":\"list\",\"collection\":\"$calendar\"}" |
    "$py" -c 'import json,sys; [print(json.dumps({"op":"delete","href":i["href"]})) for i in json.load(sys.stdin)["items"]]' |
    while read -r command; do third "$command" >/dev/null; done
[ "$(count)" = 0 ] || fail "the third client could not empty the calendar"
xdotool windowactivate --sync "$main" key --clearmodifiers alt+r Return
until_ok 10 is_visible '^Synchronizacja$' || fail "the window did not open again"
form=$(visible_window '^Synchronizacja$')
until_ok 10 activate "$form" || fail "the window did not take the focus"
xdotool key alt+s
until_ok 30 two_windows || fail "no question before deleting: $(setting 'last result')"
question=$(xdotool search --onlyvisible --name '^Synchronizacja$' | grep -vx "$form" | head -n 1)
setting 'last result' | grep -q 'czeka na decyzję' || fail "the held plan is not reported: $(setting 'last result')"
kept=$(sqlite3 "$store" "SELECT count(*) FROM reg_values WHERE key = 'software\kelvadrin\terminy' AND folded LIKE 'info %' AND value LIKE 'Spotkanie%'")
[ "$kept" = 2 ] || fail "appointments deleted before the answer: $kept left"
shot "$question" sync-guard.png
for try in 1 2 3; do
    until_ok 10 activate "$question" || fail "the question did not take the focus"
    xdotool key Return
    until_ok 5 answered && break
done
restored() { [ "$(count)" = 2 ]; }
until_ok 30 restored || fail "the appointments were not sent back: $(setting 'last result')"

# A new start without a keyring asks for the password, in a process of its
# own; after "Anuluj" sync waits until "Synchronizuj teraz" asks again.
kill "$kv"
wait "$kv" 2>/dev/null
"$program" >"$work/kv.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 is_visible '^Synchronizacja$' || fail "no password question: $(cat "$work/kv.log")"
question=$(visible_window '^Synchronizacja$')
[ "$(xdotool getwindowpid "$question")" != "$kv" ] || fail "the question is drawn by the program itself"
shot "$question" sync-password.png
until_ok 10 activate "$question" || fail "the question did not take the focus"
xdotool key Escape
until_ok 10 is_hidden '^Synchronizacja$' || fail "the question did not close"
click_in "$(icon_window)" 8 8
until_ok 20 is_visible '^Kelvadrin  v ' || fail "the main window did not open again"
main=$(visible_window '^Kelvadrin  v ')
xdotool windowactivate --sync "$main" key --clearmodifiers alt+r Return
until_ok 10 is_visible '^Synchronizacja$' || fail "the sync window did not open"
form=$(visible_window '^Synchronizacja$')
until_ok 10 activate "$form" || fail "the window did not take the focus"
sqlite3 "$store" "DELETE FROM reg_values WHERE key = 'software\\kelvadrin\\synchronizacja' AND folded = 'last result'"
xdotool key alt+s
until_ok 20 two_windows || fail "Synchronizuj teraz did not ask for the password: $(cat "$work/kv.log")"
question=$(xdotool search --onlyvisible --name '^Synchronizacja$' | grep -vx "$form" | head -n 1)
until_ok 10 activate "$question" || fail "the question did not take the focus"
xdotool type --delay 20 tajne
xdotool key Return
until_ok 30 synced || fail "no sync with the password typed: $(setting 'last result')"

# The server gone: the window says so in its own words.
kill "$SERVER_PID"
until_ok 10 activate "$form" || fail "the window did not take the focus"
xdotool key alt+s
failed() { setting 'last result' | grep -qv '^Synchronizacja zakończona'; }
until_ok 30 failed || fail "no failure reported: $(setting 'last result')"
shot "$form" sync-failure.png
kill "$kv"
wait "$kv" 2>/dev/null
echo "PASS"
