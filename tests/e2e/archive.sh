#!/usr/bin/env bash
# The archive tab of the real program: a prepared archive is searched by text
# typed into the tab, the result shown is deleted after the confirmation and
# the file loses exactly that entry. A screenshot of the results is kept in
# $KV_E2E_SHOTS when that names a folder.
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
for tool in xwininfo cmp dd; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

start_x
start_tray

archive="$XDG_DATA_HOME/Kelvadrin/Archiwum.tra"

# A first start makes the store and the install folder.
"$program" >"$work/first.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the first start did not dock its icon"
kill "$kv"; wait "$kv" 2>/dev/null

# put N DATE MESSAGE: entry N of the archive, the message in Windows-1250.
put() {
    printf '%s' "$2" | dd of="$archive" bs=1 seek=$(($1 * 10)) conv=notrunc status=none
    printf "$3" | dd of="$archive" bs=1 seek=$((100000 + $1 * 501)) conv=notrunc status=none
}
head -c 5110000 /dev/zero >"$archive"
put 1 '03/05/04' 'Urodziny Ani'
put 2 '11/23/05' 'Wyjazd do \243odzi'
put 3 '12/07/05' 'URODZINY taty, \214roda'
put 4 '01/14/06' 'Spotkanie w sprawie urodzin'
expected="$work/expected.tra"
cp "$archive" "$expected"
printf '\0' | dd of="$expected" bs=1 seek=10 conv=notrunc status=none
printf '\0' | dd of="$expected" bs=1 seek=$((100000 + 501)) conv=notrunc status=none

"$program" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the icon did not dock: $(cat "$work/program.log")"
click_in "$(icon_window)" 8 8
until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "the click did not open the main window"
main=$(visible_window '^Kelvadrin  v 4\.0\.0\.1$')

# The " &Archiwum " tab; its text field has the focus. Search with Enter.
xdotool windowfocus --sync "$main"
xdotool key alt+a
sleep 0.5
xdotool type --delay 20 'urodziny'
xdotool key Return
sleep 1
if [ -n "${KV_E2E_SHOTS:-}" ] && [ -d "$KV_E2E_SHOTS" ] && command -v import >/dev/null 2>&1; then
    import -window root "$KV_E2E_SHOTS/archive-tab.png" && echo "screenshot: $KV_E2E_SHOTS/archive-tab.png"
fi

# Row 1 (entry 1) is chosen: "&Usuń", then the confirmation's "Usuń".
xdotool key alt+u
until_ok 10 is_visible '^Usunięcie wiadomości z archiwum\.\.\.$' || fail "no confirmation window"
click_in "$(visible_window '^Usunięcie wiadomości z archiwum\.\.\.$')" 252 173
until_ok 10 cmp -s "$archive" "$expected" || fail "the archive differs: $(cmp "$archive" "$expected")"
kill -0 "$kv" 2>/dev/null || fail "the program ended"
echo "1 passed, 0 failed"
