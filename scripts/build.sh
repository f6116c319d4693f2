#!/usr/bin/env bash
# Configures and builds Kelvadrin into build/ (or $KV_BUILD_DIR).
#   KV_BUILD_TYPE=Debug|Release|RelWithDebInfo (default RelWithDebInfo)
#   KV_WERROR=1    warnings are errors
#   KV_SANITIZE=1  AddressSanitizer and UndefinedBehaviorSanitizer
set -euo pipefail
cd "$(dirname "$0")/.."
build="${KV_BUILD_DIR:-build}"
# Compiler cache entries hold paths relative to the tree, so every clone shares them.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
options=(-DCMAKE_BUILD_TYPE="${KV_BUILD_TYPE:-RelWithDebInfo}"
         -DKV_WERROR="$([ "${KV_WERROR:-0}" = 1 ] && echo ON || echo OFF)"
         -DKV_SANITIZE="$([ "${KV_SANITIZE:-0}" = 1 ] && echo ON || echo OFF)")
if command -v ccache >/dev/null 2>&1; then
    options+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" "${options[@]}" >/dev/null
cmake --build "$build" -j"$(nproc)"
