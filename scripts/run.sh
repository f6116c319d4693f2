#!/usr/bin/env bash
# Installs what is needed, builds and starts Kelvadrin.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
exec "${KV_BUILD_DIR:-build}/bin/kelvadrin" "$@"
