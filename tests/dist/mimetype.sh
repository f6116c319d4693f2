#!/usr/bin/env bash
# Installs the program into a temporary prefix, builds the MIME database
# there and checks that the desktop takes a ".ter" file for the program's
# type and finds the launcher that opens it.
set -u
build="$1"
skip() { echo "SKIP: $*"; exit 77; }
fail() { echo "FAIL: $*"; exit 1; }
for tool in update-mime-database xdg-mime gio; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 ||
    fail "install failed: $(cat "$work/install.log")"
share="$work/prefix/share"
[ -f "$share/mime/packages/kelvadrin-terminy.xml" ] || fail "no MIME package installed"
[ -f "$share/applications/kelvadrin.desktop" ] || fail "no launcher installed"
[ -x "$work/prefix/bin/kelvadrin" ] || fail "no program installed"
if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$share/applications/kelvadrin.desktop" || fail "the launcher is not valid"
fi
update-mime-database "$share/mime" || fail "update-mime-database failed"

head -c 31680 /dev/zero >"$work/x.ter"
export XDG_DATA_DIRS="$share:/usr/share" XDG_DATA_HOME="$work/home" XDG_CONFIG_HOME="$work/config"
# On a GNOME or Xfce desktop xdg-mime asks GIO, which reads the MIME database
# of XDG_DATA_DIRS (its generic fallback only asks file(1)).
unset KDE_FULL_SESSION KDE_SESSION_VERSION DESKTOP_SESSION
export XDG_CURRENT_DESKTOP=GNOME
type=$(cd "$work" && xdg-mime query filetype x.ter)
[ "$type" = "application/x-kelvadrin-terminy" ] || fail "x.ter is of type '$type'"
# The program's own type, and the calendars and contact cards it adds to its data.
grep -qx 'MimeType=application/x-kelvadrin-terminy;text/calendar;text/vcard;text/x-vcard;' \
    "$share/applications/kelvadrin.desktop" || fail "the launcher does not name the types"
echo "x.ter: $type"
echo "1 passed, 0 failed"
