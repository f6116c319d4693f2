#!/usr/bin/env bash
# Installs what is needed, builds and runs every test.
#   KV_SKIP_DEPS=1  skip the package step (it is quick anyway when all is installed)
# Other variables as for scripts/build.sh; arguments go to ctest.
set -euo pipefail
cd "$(dirname "$0")/.."
[ "${KV_SKIP_DEPS:-0}" = 1 ] || scripts/install-deps.sh
scripts/build.sh
cd "${KV_BUILD_DIR:-build}"
ctest --output-on-failure -j2 "$@"
