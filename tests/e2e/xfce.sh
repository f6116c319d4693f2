#!/usr/bin/env bash
# The icon in a real xfce4-panel (its notification-area plugin, which is the
# StatusNotifierWatcher and shows the menu through libdbusmenu): the icon
# shows, and "Ustawienia" chosen in the panel's own menu opens the main
# window. KV_SHOTS=FOLDER keeps a screenshot of the open menu.
#   tests/e2e/xfce.sh PROGRAM
set -u
program="$1"
. "$(dirname "$0")/lib.sh"
xfconfd=$(ls /usr/lib/*/xfce4/xfconf/xfconfd 2>/dev/null | head -n 1)
command -v xfce4-panel >/dev/null 2>&1 || skip "xfce4-panel is not installed"
[ -n "$xfconfd" ] && [ -x "$xfconfd" ] || skip "xfconfd is not installed"

start_x
start_wm
start_bus
# One panel along the top holding the notification area alone.
export HOME="$work/home"
mkdir -p "$HOME" "$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml"
cat >"$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="30"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
"$xfconfd" >"$work/xfconfd.log" 2>&1 &
pids+=($!)
xfce4-panel --disable-wm-check >"$work/panel.log" 2>&1 &
pids+=($!)
watcher() {
    dbus-send --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:org.kde.StatusNotifierWatcher | grep -q 'boolean true'
}
until_ok 20 watcher || fail "the panel's notification area did not start: $(cat "$work/panel.log")"

"$program" >"$work/kv.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 20 is_visible '^Kelvadrin$' || fail "the program did not start: $(cat "$work/kv.log")"
# The notification area is the panel's one plugin: its window, a child of the
# panel's, holds the item's picture alone.
panel=$(xdotool search --onlyvisible --class xfce4-panel | head -n 1)
icon_at() {
    xwininfo -id "$panel" -children | awk '$1 ~ /^0x/ && $0 !~ / 1x1\+/ { print $1; exit }'
}
taken() {
    [ -n "$(icon_at)" ] && dbus-send --print-reply --dest=org.kde.StatusNotifierWatcher \
        /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
        string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems |
        grep -q StatusNotifierItem
}
until_ok 20 taken || fail "the panel did not take the icon: $(cat "$work/panel.log")"
read -r x y w h < <(xwininfo -id "$(icon_at)" |
    awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4}
         /Width/ {w=$2} /Height/ {h=$2} END {print x, y, w, h}')
shown() { xdotool search --onlyvisible --name '' 2>/dev/null | sort; }
before=$(shown)
xdotool mousemove $((x + w / 2)) $((y + h / 2)) click 3
# The panel's menu: a window shown since the click.
menu_open() { [ -n "$(comm -13 <(echo "$before") <(shown))" ]; }
until_ok 10 menu_open || fail "the panel opened no menu"
if [ -n "${KV_SHOTS:-}" ]; then
    sleep 0.5
    import -window root -crop 400x200+0+0 "$KV_SHOTS/xfce-menu.png"
fi
xdotool key Down Return
until_ok 10 is_visible '^Kelvadrin  v 4\.0\.0\.1$' || fail "Ustawienia did not open the main window"
echo "PASS"
