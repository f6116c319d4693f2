#!/usr/bin/env bash
# The sync window as a screen reader reads it, over AT-SPI: the result line's
# text is its description, and follows it when it changes ("Połącz" pressed
# through its action with no server given).
#   tests/e2e/atspi.sh PROGRAM
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
launcher=/usr/libexec/at-spi-bus-launcher
[ -x "$launcher" ] || skip "at-spi2-core is not installed"
atspi_python=
for candidate in python3 /usr/bin/python3; do
    "$candidate" -c 'import pyatspi' >/dev/null 2>&1 && atspi_python=$candidate && break
done
[ -n "$atspi_python" ] || skip "python3-pyatspi is not installed"

start_x
start_wm
start_tray
start_bus
"$launcher" --launch-immediately >"$work/atspi.log" 2>&1 &
pids+=($!)
a11y() {
    dbus-send --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:org.a11y.Bus | grep -q 'boolean true'
}
until_ok 10 a11y || fail "the accessibility bus did not start: $(cat "$work/atspi.log")"

QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 "$program" >"$work/kv.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 is_visible '^Kelvadrin$' || fail "the program did not start: $(cat "$work/kv.log")"
client=("$atspi_python" "$(dirname "$0")/atspi_client.py" "$kv")
"${client[@]}" "" "" "Kontynuuj" || fail "the first-start window's button is not reached"
until_ok 10 is_hidden '^Kelvadrin$' || fail "the first-start window stayed"
# "Synchronizacja..." of the "Program" menu of the main window.
until_ok 20 has_icon || fail "the icon did not dock"
click_in "$(icon_window)" 8 8
until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "no main window"
main=$(visible_window '^Kelvadrin  v 4\.0\.0\.1$')
click_in "$main" 76 9
sleep 0.5
xdotool key Down Return
until_ok 10 is_visible '^Synchronizacja$' || fail "no sync window: $(cat "$work/kv.log")"

"${client[@]}" "Ostatnia synchronizacja" "Ostatnia synchronizacja: jeszcze nie było." ||
    fail "the result line is not read"
"${client[@]}" "Ostatnia synchronizacja" "Podaj adres serwera, np. https://serwer.pl/remote.php/dav." \
    "Połącz" ||
    fail "the result line's change is not read"
echo "PASS"
