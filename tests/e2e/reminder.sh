#!/usr/bin/env bash
# The main job of the real program: an appointment armed in a prepared store
# fires under a clock running 60 times fast, its reminder window is closed with
# "&Zamknij", the archive file holds the message byte for byte and the slot is free.
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
for tool in faketime sqlite3 xwininfo cmp; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

start_x
start_tray

store="$XDG_CONFIG_HOME/kelvadrin/registry.sqlite3"
archive="$XDG_DATA_HOME/Kelvadrin/Archiwum.tra"

# A first start makes the store; then the appointment is put in as the editor would.
"$program" >"$work/first.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the first start did not dock its icon"
kill "$kv"; wait "$kv" 2>/dev/null

message='Spotkanie z Łucją'
put_appointment "$message"

# Two minutes before the appointment, the clock running 60 times fast: the
# minute timer fires about every second.
faketime -f '@2026-12-08 09:58:00 x60' "$program" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 30 is_visible '^Kelvadrin - przypomnienie\.\.\.$' ||
    fail "no reminder window: $(cat "$work/program.log")"
reminder=$(visible_window '^Kelvadrin - przypomnienie\.\.\.$')
echo "reminder window: $reminder"

# "&Zamknij" is the bottom right button, under the window's menu bar.
click_in "$reminder" 458 326
until_ok 10 is_hidden '^Kelvadrin - przypomnienie\.\.\.$' || fail "&Zamknij did not close the reminder"
until_ok 10 test -f "$archive" || fail "no archive file"

# The archive: 5 110 000 bytes, entry 1 the date and the message in Windows-1250.
expected="$work/expected.tra"
head -c 5110000 /dev/zero >"$expected"
printf '12/08/26' | dd of="$expected" bs=1 seek=10 conv=notrunc status=none
printf 'Spotkanie z \243ucj\271' | dd of="$expected" bs=1 seek=$((100000 + 501)) conv=notrunc status=none
until_ok 10 cmp -s "$archive" "$expected" || fail "the archive differs: $(cmp "$archive" "$expected")"

left=$(sqlite3 "$store" "SELECT count(*) FROM reg_values WHERE key = 'software\kelvadrin\terminy' AND folded IN ('termin 1', 'date 1', 'time 1', 'info 1')")
[ "$left" = 0 ] || fail "the slot still holds $left values"
kill -0 "$kv" 2>/dev/null || fail "the program ended"
echo "1 passed, 0 failed"
