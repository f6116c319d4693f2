#!/usr/bin/env bash
# Names that are not regular files are refused at once, never read: a FIFO on
# the command line or chosen in the import dialog, and a kernel file typed
# into the export dialog. (A file handed over by a second copy goes the same
# way as the command line's.) After each refusal
# the program answers, and it still ends at once when asked to.
set -u
program=$(realpath "$1")
. "$(dirname "$0")/lib.sh"

start_x
start_wm
start_tray
fifo="$work/potok.ter"
mkfifo "$fifo"

# refused WHAT: the information window comes and is closed with Return.
refused() {
    until_ok 10 is_visible '^Błąd\.\.\.$' || fail "no refusal for $1: $(cat "$work/kv.log")"
    xdotool key --window "$(visible_window '^Błąd\.\.\.$')" Return 2>/dev/null
    until_ok 10 is_hidden '^Błąd\.\.\.$' || fail "the refusal for $1 did not close"
}

"$program" "$fifo" >"$work/kv.log" 2>&1 &
kv=$!
pids+=($kv)
refused "the command line"
until_ok 20 has_icon || fail "no icon after the refusal"

until_ok 10 has_icon || fail "the icon went away"
click_in "$(icon_window)" 8 8
until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "the main window did not open"
main=$(visible_window '^Kelvadrin  v 4\.0\.0\.1$')

# choose KEYS TITLE NAME: the menu "Plik" clicked, KEYS in it, then NAME
# typed into the dialog that opens.
choose() {
    local ox oy
    read -r ox oy < <(xwininfo -id "$main" |
        awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
    local attempt
    for attempt in 1 2 3; do
        xdotool windowactivate --sync "$main"
        xdotool mousemove $((ox + 20)) $((oy + 12)) click 1
        xdotool key --delay 150 $1
        until_ok 4 is_visible "^$2\$" && break
        xdotool key Escape Escape Escape
    done
    is_visible "^$2\$" || fail "no dialog \"$2\""
    xdotool type --delay 20 "$3"
}

# accept: Return in the dialog (the name's completion may take the first one),
# and "Tak" when Qt's dialog asks before it replaces a file that is there; the
# two in turn until the refusal is on screen.
presses=0
accept() {
    is_visible '^Błąd\.\.\.$' && return 0
    if ((presses++ % 2 == 0)); then xdotool key Return; else xdotool key alt+t; fi
    return 1
}
choose "Down Right Return" 'Importuj dane\.\.\.' "$fifo"
until_ok 10 accept
refused "the import dialog"
if [ -r /proc/kmsg ]; then
    choose "Down Right Down Return" 'Eksportuj dane\.\.\.' /proc/kmsg
    until_ok 10 accept
    refused "the export dialog"
fi
kill -0 "$kv" 2>/dev/null || fail "the program ended"
kill "$kv"
until_ok 5 eval '! kill -0 '"$kv" || fail "the program does not end"
echo "1 passed, 0 failed"
