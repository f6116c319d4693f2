#!/usr/bin/env bash
# A logout or `kill` ends the real program at once and cleanly, with and
# without a reminder sound set (the sound library must not keep SIGTERM).
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
command -v sqlite3 >/dev/null 2>&1 || skip "sqlite3 is not installed"

start_x
start_tray

store="$XDG_CONFIG_HOME/kelvadrin/registry.sqlite3"

# A short, silent wav file: 8 kHz, 8 bits, mono, 4000 samples.
sound="$work/cisza.wav"
{
    printf 'RIFF'; printf '\xc4\x0f\x00\x00'; printf 'WAVEfmt '
    printf '\x10\x00\x00\x00\x01\x00\x01\x00\x40\x1f\x00\x00\x40\x1f\x00\x00\x01\x00\x08\x00'
    printf 'data'; printf '\xa0\x0f\x00\x00'
    head -c 4000 /dev/zero | tr '\0' '\200'
} >"$sound"

# ends_on SIGNAL WHAT [open]: starts the program (with its main window opened
# from the icon when asked), sends the signal, and expects it gone within 3
# seconds with exit code 0.
ends_on() {
    "$program" >"$work/program.log" 2>&1 &
    kv=$!
    pids+=($kv)
    until_ok 20 has_icon || fail "the program did not start: $(cat "$work/program.log")"
    if [ "${3:-}" = open ]; then
        click_in "$(icon_window)" 8 8
        until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "the main window did not open"
    fi
    sleep 0.5
    kill "-$1" "$kv"
    until_ok 3 sh -c "! kill -0 $kv" || fail "SIG$1 did not end the program ($2)"
    wait "$kv"
    local code=$?
    [ "$code" -eq 0 ] || fail "SIG$1 ended the program with code $code ($2)"
    echo "SIG$1 ends the program ($2)"
}

# The first start makes the store.
ends_on TERM "first start"
for signal in TERM INT HUP; do
    ends_on "$signal" "no sound"
done
ends_on TERM "main window open" open

sqlite3 "$store" "INSERT INTO reg_values VALUES ('software\kelvadrin', 'sound', 'Sound', 'string', '$sound');" ||
    fail "could not prepare the store"
for signal in TERM INT HUP; do
    ends_on "$signal" "sound set"
done
ends_on TERM "sound set, main window open" open

# While the start still asks whether to import the file it was given.
printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\nDTSTART:20990101T100000\r\nSUMMARY:x\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' >"$work/one.ics"
"$program" "$work/one.ics" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 is_visible '^Import danych z pliku\.\.\.$' || fail "no import question: $(cat "$work/program.log")"
kill -TERM "$kv"
until_ok 3 sh -c "! kill -0 $kv" || fail "SIGTERM did not end the program while it asked"
echo "SIGTERM ends the program (import question at the start)"
echo "10 passed, 0 failed"
