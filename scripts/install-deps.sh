#!/usr/bin/env bash
# Installs the Debian packages Kelvadrin needs to build, run and test, on
# Debian 12 (bookworm) or Debian 13 (trixie).
set -euo pipefail

release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")

packages=(
    build-essential cmake pkg-config ccache
    qt6-base-dev libgl-dev
    libsqlite3-dev sqlite3
    libjpeg62-turbo-dev libpng-dev
    libfontconfig-dev libxcb1-dev
    libsdl2-mixer-dev
    fonts-liberation2 fonts-wine
    xvfb xdotool x11-utils trayer faketime openbox imagemagick
    qt6-translations-l10n
    shared-mime-info xdg-utils desktop-file-utils libglib2.0-bin
    # the libFuzzer targets (scripts/fuzz.sh)
    clang libclang-rt-dev
    appstream dpkg-dev file lintian
    cups-daemon cups-client poppler-utils
    # iCalendar; the partners the standard formats are checked against
    libical-dev python3-icalendar python3-dateutil python3-vobject calcurse khal
    # the desktop tests: a private session bus, a Wayland compositor
    dbus-daemon dbus-bin python3-dbus python3-gi weston qt6-wayland
    # the tray menu as panels built on libdbusmenu read it
    gir1.2-dbusmenu-glib-0.4 xfce4-panel
    # the windows as a screen reader reads them, over AT-SPI
    at-spi2-core python3-pyatspi
    # sync with calendar servers: the keyring, and two real servers and a
    # CalDAV client for the tests
    qtkeychain-qt6-dev radicale xandikos python3-caldav
    # the sync bench's partner: another sync client on the same servers
    vdirsyncer
    # bench/bench_desktop: its own notification area on Xlib
    libx11-dev
)
case "$release" in
    # Qt's OpenGL headers, which its Gui package needs, came on their own
    bookworm) packages+=(libqt6opengl6-dev) ;;
    trixie) ;;
    *) echo "install-deps: Debian 12 (bookworm) or 13 (trixie) expected, not \"${release:-unknown}\"; trying the packages of Debian 13" >&2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
