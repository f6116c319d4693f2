#!/usr/bin/env bash
# A reminder that falls due is also announced to the desktop's notification
# server: summary the message's first line, critical urgency, a default action
# that brings the reminder window to the front, and the notification withdrawn
# when the window is closed. With no notification server the window alone comes.
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
for tool in openbox xprop xwininfo xmessage faketime sqlite3; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

start_x
start_wm
start_tray
start_bus

log="$work/notifications.log"
"${desktop_bus[@]}" notifications "$log" 2>"$work/notifications.err" &
server=$!
pids+=($server)
until_ok 10 test -e "$log" || fail "the notification server did not start: $(cat "$work/notifications.err")"

"$program" >"$work/first.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the first start did not dock its icon"
kill "$kv"; wait "$kv" 2>/dev/null

reminder_title='^Kelvadrin - przypomnienie\.\.\.$'
# falls_due MESSAGE: the appointment is armed and the program started two
# minutes before it, the clock running 60 times fast; waits for the window.
falls_due() {
    put_appointment "$1"
    faketime -f '@2026-12-08 09:58:00 x60' "$program" >"$work/program.log" 2>&1 &
    kv=$!
    pids+=($kv)
    until_ok 30 is_visible "$reminder_title" || fail "no reminder window: $(cat "$work/program.log")"
    reminder=$(visible_window "$reminder_title")
}
active_window() { xprop -root _NET_ACTIVE_WINDOW | grep -qi "# $(printf '0x%x' "$1")\$"; }

falls_due $'Spotkanie z Łucją\nSala 12'
until_ok 10 grep -q '^notify ' "$log" || fail "no notification"
IFS='|' read -r head urgency actions icon image < <(grep '^notify ' "$log")
id=$(cut -d ' ' -f 2 <<<"$head")
[ "$head" = "notify $id Spotkanie z Łucją" ] || fail "summary: $head"
[ "$urgency" = 2 ] || fail "urgency: $urgency"
grep -qxF default <<<"${actions//,/$'\n'}" || fail "no default action: $actions"
[ "$icon" = kelvadrin ] || fail "icon: $icon"
# Its picture too: the build folder's program is in no icon theme.
[ "$image" = 48x48x4 ] || fail "image-data: $image"
echo "notified: $(cat "$log")"

# Another window takes the focus; the default action gives it back.
xmessage -name other other >/dev/null 2>&1 &
pids+=($!)
until_ok 10 xdotool search --onlyvisible --classname '^other$' || fail "xmessage did not start"
other=$(xdotool search --onlyvisible --classname '^other$' | head -n 1)
xdotool windowactivate "$other"
until_ok 10 active_window "$other" || fail "the focus stayed on the reminder"
"${desktop_bus[@]}" invoke "$id" default || fail "the action could not be sent"
until_ok 10 active_window "$reminder" || fail "the default action did not bring the reminder to the front"
is_visible "$reminder_title" || fail "the default action hid the reminder"

# "&Zamknij" is the bottom right button, under the window's menu bar.
click_in "$reminder" 458 326
until_ok 10 is_hidden "$reminder_title" || fail "&Zamknij did not close the reminder"
until_ok 10 grep -qx "close $id" "$log" || fail "the notification was not withdrawn: $(cat "$log")"
[ "$(grep -c '^notify ' "$log")" = 1 ] || fail "more than one notification: $(cat "$log")"
kill "$kv"; wait "$kv" 2>/dev/null

# No notification server: the reminder window comes all the same.
kill "$server"; wait "$server" 2>/dev/null
falls_due 'Próba'
kill -0 "$kv" 2>/dev/null || fail "the program ended"
echo "2 passed, 0 failed"
