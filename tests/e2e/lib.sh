# Shared helpers of the end-to-end tests: a private X server with a tray host,
# the real program on temporary folders, and polling with a time limit.

skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }

for tool in Xvfb xdotool; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed: no X server can be had"
done

work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/config" "$work/data" "$work/run"
chmod 700 "$work/run"
export XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" XDG_RUNTIME_DIR="$work/run"
unset DBUS_SESSION_BUS_ADDRESS QT_QPA_PLATFORM
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
# Window names hold Polish letters: xdotool and xprop read them as UTF-8 only
# in a UTF-8 locale, and a machine may have none set (C.UTF-8 is always there).
export LC_ALL=C.UTF-8

# until SECONDS COMMAND...: runs COMMAND every 0.2 s until it succeeds.
until_ok() {
    local limit=$(( $1 * 5 )) i; shift
    for ((i = 0; i < limit; i++)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.2
    done
    return 1
}

# start_x: a private X server on a display number the server itself finds free
# (-displayfd takes none whose socket is still held, as by a server that is
# just ending), written back once it accepts clients.
start_x() {
    local attempt
    for attempt in 1 2 3; do
        : >"$work/display"
        Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" >>"$work/xvfb.log" 2>&1 &
        pids+=($!)
        if until_ok 10 grep -q '^[0-9]' "$work/display"; then
            export DISPLAY=":$(head -n 1 "$work/display")"
            until_ok 5 xdotool getdisplaygeometry && return 0
        fi
        kill "${pids[-1]}" 2>/dev/null
    done
    skip "no X server could be started: $(cat "$work/xvfb.log")"
}

# start_wm: openbox, once it manages the screen (it names what it supports).
start_wm() {
    command -v openbox >/dev/null 2>&1 || skip "openbox is not installed"
    local attempt
    for attempt in 1 2 3; do
        openbox >>"$work/openbox.log" 2>&1 &
        pids+=($!)
        until_ok 10 sh -c 'xprop -root _NET_SUPPORTED | grep -q _NET_ACTIVE_WINDOW' && return 0
        kill "${pids[-1]}" 2>/dev/null
    done
    fail "openbox did not start on $DISPLAY: $(cat "$work/openbox.log"); the X server: $(xdotool getdisplaygeometry 2>&1) $(cat "$work/xvfb.log")"
}

start_tray() {
    command -v trayer >/dev/null 2>&1 || skip "trayer is not installed"
    local attempt
    for attempt in 1 2 3; do
        trayer --edge top --align right --widthtype pixel --width 200 --height 32 \
            --transparent false >>"$work/trayer.log" 2>&1 &
        pids+=($!)
        until_ok 10 xdotool search --name '^panel$' && return 0
        kill "${pids[-1]}" 2>/dev/null
    done
    fail "the tray host did not start: $(cat "$work/trayer.log")"
}

# start_bus: a private session bus that starts no service on demand, so only
# the services a test runs are there; $desktop_bus runs desktop_bus.py with a
# python that has the D-Bus and GLib bindings (the distribution's own python,
# where they are installed, may be hidden behind another python3 on PATH).
start_bus() {
    command -v dbus-daemon >/dev/null 2>&1 || skip "dbus-daemon is not installed"
    local python
    for python in python3 /usr/bin/python3; do
        "$python" -c 'import dbus, gi.repository.GLib' >/dev/null 2>&1 && break
        python=
    done
    [ -n "$python" ] || skip "no python3 with the D-Bus and GLib bindings"
    desktop_bus=("$python" "$(dirname "${BASH_SOURCE[0]}")/desktop_bus.py")
    cat >"$work/bus.conf" <<XML
<busconfig>
  <type>session</type>
  <listen>unix:dir=$work</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
XML
    dbus-daemon --config-file="$work/bus.conf" --nofork --print-address=3 3>"$work/bus" >"$work/bus.log" 2>&1 &
    pids+=($!)
    until_ok 10 grep -q '^unix:' "$work/bus" || fail "no session bus: $(cat "$work/bus.log")"
    DBUS_SESSION_BUS_ADDRESS=$(head -n 1 "$work/bus")
    export DBUS_SESSION_BUS_ADDRESS
}

# The program's docked icon: its X window inside the tray host's panel.
icon_window() {
    xwininfo -root -tree 2>/dev/null | awk '/"panel"/ {p=1; next} p && /"Kelvadrin"/ {print $1; exit}'
}

visible_window() { xdotool search --onlyvisible --name "$1" | head -n 1; }
has_icon() { [ -n "$(icon_window)" ]; }
is_visible() { [ -n "$(visible_window "$1")" ]; }
is_hidden() { [ -z "$(visible_window "$1")" ]; }

# click_in WINDOW X Y [BUTTON]: clicks at a point of a window. (xdotool puts a
# window framed by a window manager off by its title bar; xwininfo does not.)
click_in() {
    local x y
    read -r x y < <(xwininfo -id "$1" | awk '/Absolute upper-left X/ {x=$NF} /Absolute upper-left Y/ {y=$NF} END {print x, y}')
    xdotool mousemove $((x + $2)) $((y + $3)) click "${4:-1}"
}

# put_appointment MESSAGE [MM/DD/YY]: arms slot 1 for that day (12/08/26, the
# day the tests under faketime run on, when none is given) at 10:00 with the
# message (no quote in it), the advance signal off, in the store a first start
# has made (again, over what an earlier call left).
put_appointment() {
    local day="${2:-12/08/26}"
    sqlite3 "$XDG_CONFIG_HOME/kelvadrin/registry.sqlite3" <<SQL || fail "could not prepare the store"
INSERT OR REPLACE INTO reg_values VALUES ('software\kelvadrin\terminy', 'termin 1', 'Termin 1', 'integer', 1);
INSERT OR REPLACE INTO reg_values VALUES ('software\kelvadrin\terminy', 'date 1', 'Date 1', 'string', '$day');
INSERT OR REPLACE INTO reg_values VALUES ('software\kelvadrin\terminy', 'time 1', 'Time 1', 'string', '10:00');
INSERT OR REPLACE INTO reg_values VALUES ('software\kelvadrin\terminy', 'info 1', 'Info 1', 'string', '$1');
INSERT OR REPLACE INTO reg_values VALUES ('software\kelvadrin', 'sound alert', 'Sound Alert', 'integer', 0);
SQL
}
