#!/usr/bin/env bash
# Opening a ".ter" file while the program runs: a second copy started with the
# file's name hands it to the running copy and ends; the running copy asks for
# confirmation, and once "Importuj" is clicked the store holds the file's
# appointments.
set -u
program=$(realpath "$1")
. "$(dirname "$0")/lib.sh"
for tool in sqlite3 xwininfo; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

start_x
start_tray

store="$XDG_CONFIG_HOME/kelvadrin/registry.sqlite3"

# The file: slot 1 armed, 24 December 2030 at 18:30, yearly; slot 2 a daily
# time with a message in Windows-1250; every other slot empty.
file="$work/Terminy z pulpitu.ter"
head -c 31680 /dev/zero >"$file"
put() { printf "$2" | dd of="$file" bs=1 seek="$1" conv=notrunc status=none; }
put 528 '\001'
put 529 '12/24/30'
put 539 '18:30'
put 549 'Wigilia'
put 1052 '\051'
put 1067 '07:05'
put 1077 'Leki \263\271ka'
put 1580 '\001'

"$program" >"$work/running.log" 2>&1 &
running=$!
pids+=($running)
until_ok 20 has_icon || fail "the running copy did not dock its icon"

(cd "$work" && exec "$program" "Terminy z pulpitu.ter") >"$work/second.log" 2>&1 &
second=$!
pids+=($second)

until_ok 20 is_visible '^Import danych z pliku\.\.\.$' ||
    fail "no confirmation in the running copy: $(cat "$work/running.log" "$work/second.log")"
until_ok 10 eval '! kill -0 '"$second" || fail "the second copy is still running"
wait "$second"
code=$?
[ "$code" = 0 ] || fail "the second copy ended with $code"

ask=$(visible_window '^Import danych z pliku\.\.\.$')
click_in "$ask" 252 173 # "Importuj"
until_ok 10 is_visible '^Import danych$' || fail "no success message"
# The key press closes the window already; the release then finds no window.
xdotool key --window "$(visible_window '^Import danych$')" Return 2>/dev/null
until_ok 10 is_hidden '^Import danych$' || fail "the success message did not close"

value() {
    sqlite3 "$store" "SELECT value FROM reg_values WHERE key = 'software\kelvadrin\terminy' AND folded = '$1'"
}
[ "$(value 'termin 1')" = 1 ] || fail "slot 1 is not armed"
[ "$(value 'date 1')" = 12/24/30 ] || fail "date 1 is '$(value 'date 1')'"
[ "$(value 'time 1')" = 18:30 ] || fail "time 1 is '$(value 'time 1')'"
[ "$(value 'info 1')" = Wigilia ] || fail "info 1 is '$(value 'info 1')'"
[ "$(value 'repeat 1')" = 41 ] || fail "repeat 1 is '$(value 'repeat 1')'"
[ "$(value 'info 2')" = 'Leki łąka' ] || fail "info 2 is '$(value 'info 2')'"
[ "$(value 'repeat 2')" = 1 ] || fail "repeat 2 is '$(value 'repeat 2')'"
[ -z "$(value 'termin 2')" ] || fail "slot 2 is armed"
kill -0 "$running" 2>/dev/null || fail "the running copy ended"
echo "1 passed, 0 failed"
