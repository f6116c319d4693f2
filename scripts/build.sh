#!/usr/bin/env bash
# Configures and builds Kelvadrin into build/ (or $KV_BUILD_DIR).
set -euo pipefail
cd "$(dirname "$0")/.."
build="${KV_BUILD_DIR:-build}"
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE="${KV_BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build "$build" -j"$(nproc)"
