#!/usr/bin/env bash
# What a window manager (openbox) shows of the program's windows: each caption
# exactly as the program sets it, and no maximise, minimise or close function
# offered by the windows' own hints.
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
for tool in openbox xprop sqlite3 faketime; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

start_x
start_wm
start_tray

# check_window WINDOW CAPTION: the caption in both properties, the Motif hints.
check_window() {
    local names hints allowed
    names=$(xprop -id "$1" WM_NAME _NET_WM_NAME)
    grep -qxE "WM_NAME\((STRING|UTF8_STRING|COMPOUND_TEXT)\) = \"$(sed 's/[.]/\\./g' <<<"$2")\"" <<<"$names" ||
        fail "WM_NAME of \"$2\": $names"
    grep -qxF "_NET_WM_NAME(UTF8_STRING) = \"$2\"" <<<"$names" || fail "_NET_WM_NAME of \"$2\": $names"
    # flags, functions, decorations: functions are given, and hold move and
    # resize at most (no minimise 0x8, maximise 0x10 or close 0x20).
    hints=$(xprop -id "$1" _MOTIF_WM_HINTS | sed 's/.*= //')
    IFS=', ' read -r flags functions _ <<<"$hints"
    (( (flags & 1) == 1 && (functions & 0x38) == 0 )) || fail "\"$2\" offers buttons: $hints"
    allowed=$(xprop -id "$1" _NET_WM_ALLOWED_ACTIONS)
    grep -q MAXIMIZE <<<"$allowed" && fail "\"$2\" may be maximised: $allowed"
    echo "ok: \"$2\""
}

"$program" >"$work/first.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the first start did not dock its icon"
until_ok 10 is_visible '^Kelvadrin$' || fail "no first-start window"
check_window "$(visible_window '^Kelvadrin$')" "Kelvadrin"
click_in "$(icon_window)" 8 8
until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "the click did not open the main window"
main=$(visible_window '^Kelvadrin  v 4\.0\.0\.1$')
check_window "$main" "Kelvadrin  v 4.0.0.1"

# The information window: slot 99 typed into the appointment number field.
# (Under a reparenting window manager xwininfo gives the client's true place.)
origin=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
read -r ox oy <<<"$origin"
xdotool mousemove $((ox + 494)) $((oy + 119)) click 1
xdotool key ctrl+a type 99
until_ok 10 is_visible '^Błąd\.\.\.$' || fail "no information window for slot 99"
check_window "$(visible_window '^Błąd\.\.\.$')" "Błąd..."
xdotool key Return
kill "$kv"; wait "$kv" 2>/dev/null

# A reminder that falls due at once.
put_appointment 'Próba'
faketime -f '@2026-12-08 09:59:00 x60' "$program" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 30 is_visible '^Kelvadrin - przypomnienie\.\.\.$' ||
    fail "no reminder window: $(cat "$work/program.log")"
check_window "$(visible_window '^Kelvadrin - przypomnienie\.\.\.$')" "Kelvadrin - przypomnienie..."
echo "4 passed, 0 failed"
