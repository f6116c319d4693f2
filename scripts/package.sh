#!/usr/bin/env bash
# Builds the Debian package kelvadrin_<version>_amd64.deb into build/ (or
# $KV_BUILD_DIR) and checks it with lintian when lintian is installed.
#   KV_SKIP_DEPS=1  skip the package step
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${KV_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh
scripts/build.sh
build="${KV_BUILD_DIR:-build}"
(cd "$build" && cpack -G DEB)
deb=$(ls -t "$build"/kelvadrin_*_amd64.deb | head -n 1)
echo "package: $deb"
dpkg-deb --field "$deb"
# The unpacked package runs where it lies: it finds its library through RUNPATH.
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
"$unpacked/usr/bin/kelvadrin" --version
if command -v lintian >/dev/null 2>&1; then
    # Errors fail the script; the warnings left are explained in README.md.
    lintian --fail-on error "$deb"
fi
