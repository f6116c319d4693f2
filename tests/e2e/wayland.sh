#!/usr/bin/env bash
# In a Wayland session (weston, headless) with X beside it, the program keeps to
# X, where windows may be placed and kept above: a reminder comes on the X
# screen, above the others and centred. A user who asks for Wayland gets it.
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
for tool in weston openbox xprop xwininfo faketime sqlite3; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

# The output as large as the X screen: a smaller one is warned about at start.
weston --backend=headless-backend.so --socket=wayland-kv --idle-time=0 \
    --width=1280 --height=1024 >"$work/weston.log" 2>&1 &
pids+=($!)
until_ok 10 test -S "$XDG_RUNTIME_DIR/wayland-kv" || skip "weston could not be started: $(cat "$work/weston.log")"
start_x
start_wm
start_tray

"$program" >"$work/first.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 has_icon || fail "the first start did not dock its icon"
kill "$kv"; wait "$kv" 2>/dev/null

# Wayland asked for: the program runs on weston, and shows nothing on X.
QT_QPA_PLATFORM=wayland XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-kv KELVADRIN_SAY_IDLE=1 \
    "$program" >"$work/native.log" 2>"$work/native.err" &
kv=$!
pids+=($kv)
until_ok 20 grep -qx idle "$work/native.log" || fail "the program did not start on Wayland: $(cat "$work/native.err")"
until_ok 3 sh -c "! kill -0 $kv" && fail "the program ended on Wayland: $(cat "$work/native.err")"
[ -z "$(xdotool search --pid "$kv")" ] || fail "the program made a window on X"
has_icon && fail "the program docked its icon on X"
grep -E 'Segmentation|Aborted|Failed to create' "$work/native.err" && fail "errors on Wayland"
echo "runs on Wayland"
kill "$kv"; wait "$kv" 2>/dev/null

# centred WINDOW: its middle within 40 pixels (a frame's worth) of the screen's.
centred() {
    local x y w h
    read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF}
        /Width:/ {w=$NF} /Height:/ {h=$NF} END {print x, y, w, h}')
    (( (x + w / 2 - 640) ** 2 <= 1600 && (y + h / 2 - 512) ** 2 <= 1600 ))
}
above() { xprop -id "$1" _NET_WM_STATE | grep -q '_NET_WM_STATE_ABOVE'; }

put_appointment 'Próba'
env -u QT_QPA_PLATFORM XDG_SESSION_TYPE=wayland WAYLAND_DISPLAY=wayland-kv \
    faketime -f '@2026-12-08 09:58:00 x60' "$program" >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 30 is_visible '^Kelvadrin - przypomnienie\.\.\.$' ||
    fail "no reminder window on X in a Wayland session: $(cat "$work/program.log")"
reminder=$(visible_window '^Kelvadrin - przypomnienie\.\.\.$')
until_ok 10 above "$reminder" || fail "the reminder is not kept above: $(xprop -id "$reminder" _NET_WM_STATE)"
until_ok 10 centred "$reminder" || fail "the reminder is not centred: $(xwininfo -id "$reminder")"
echo "reminder on X, above and centred"
echo "2 passed, 0 failed"
