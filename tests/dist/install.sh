#!/usr/bin/env bash
# Installs the program into a temporary prefix and checks what a desktop needs
# of it: the program finds its own library there, the launcher, icons and
# AppStream data are valid, and a first start under a private X server docks
# the tray icon and writes an autostart entry naming the installed program.
set -u
build="$1"
source_dir="$2"
. "$source_dir/tests/e2e/lib.sh"
for tool in readelf ldd desktop-file-validate appstreamcli; do
    command -v "$tool" >/dev/null 2>&1 || skip "$tool is not installed"
done

prefix="$work/prefix with blank"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
    fail "install failed: $(cat "$work/install.log")"
program="$prefix/bin/kelvadrin"
[ -x "$program" ] || fail "no program installed"
library=$(find "$prefix" -name libactual.so -type f)
[ -n "$library" ] || fail "libactual.so is not installed"
runpath=$(readelf -d "$program" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
case "$runpath" in
'$ORIGIN/../'*) ;;
*) fail "the program's RUNPATH is '$runpath'" ;;
esac
found=$(ldd "$program" | sed -n 's/^[[:space:]]*libactual\.so => \(.*\) (0x.*/\1/p')
[ -n "$found" ] && [ "$(realpath "$found")" = "$(realpath "$library")" ] ||
    fail "the program takes libactual.so from '$found'"
# The printing module, loaded at the first print, lies beside it.
[ -f "$(dirname "$library")/kelvadrin-print.so" ] || fail "the printing module is not installed"

share="$prefix/share"
desktop-file-validate "$share/applications/kelvadrin.desktop" || fail "the launcher is not valid"
grep -qx 'Exec=kelvadrin %f' "$share/applications/kelvadrin.desktop" || fail "the launcher's Exec line"
appstreamcli validate --no-net "$share/metainfo/pl.kelvadrin.kelvadrin.metainfo.xml" ||
    fail "the AppStream data are not valid"
# PNG: the width and the height are the big-endian words at bytes 16 and 20.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}'; }
for size in 16 22 24 32 48 256; do
    icon="$share/icons/hicolor/${size}x$size/apps/kelvadrin.png"
    [ -f "$icon" ] || fail "no ${size}x$size icon"
    [ "$(png_size "$icon")" = "${size}x$size" ] || fail "the ${size}x$size icon is $(png_size "$icon")"
done

version=$("$program" --version) || fail "--version failed"
[[ "$version" =~ ^Kelvadrin\ [0-9]+\.[0-9]+ ]] || fail "--version says '$version'"
"$program" --help | grep -q 'kelvadrin \[PLIK.ter\]' || fail "--help says nothing of the file"
echo "$version; RUNPATH $runpath"

# A first start of the installed program, from another folder.
start_x
start_tray
(cd / && exec "$program") >"$work/program.log" 2>&1 &
kv=$!
pids+=($kv)
until_ok 30 has_icon || fail "the installed program did not dock its icon: $(cat "$work/program.log")"
kill -0 "$kv" 2>/dev/null || fail "the installed program ended: $(cat "$work/program.log")"
entry="$XDG_CONFIG_HOME/autostart/kelvadrin.desktop"
until_ok 10 test -f "$entry" || fail "no autostart entry"
grep -qxF "Exec=\"$prefix/bin/kelvadrin\"" "$entry" || fail "the autostart entry: $(grep Exec "$entry")"
# Started after the panel, so that its tray takes the icon at once.
desktop-file-validate "$entry" && grep -qx 'X-GNOME-Autostart-Phase=Applications' "$entry" &&
    grep -qx 'X-KDE-autostart-phase=2' "$entry" || fail "the autostart entry: $(cat "$entry")"
echo "1 passed, 0 failed"
