#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang into build-fuzz/ (or
# $KV_FUZZ_BUILD_DIR) and runs each for the given number of seconds (default
# 30), starting from its seed corpus in fuzz/corpus/<name>/. Exits non-zero
# when any target reports a finding (crash, sanitizer report, leak, time-out,
# out of memory) or does not run; the input that caused it is kept as
# build-fuzz/findings/<name>-crash-... and so on.
#   scripts/fuzz.sh [seconds] [name ...]
set -uo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
shift || true
build="${KV_FUZZ_BUILD_DIR:-build-fuzz}"

if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: scripts/fuzz.sh [seconds] [name ...]" >&2
    exit 2
fi

launcher=()
# Compiler cache entries hold paths relative to the tree, so every clone shares them.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build" -DKV_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null || exit 1
flock /tmp/kv-build.lock cmake --build "$build" -j2 --target kv_fuzzers || exit 1

names=("$@")
if [ ${#names[@]} -eq 0 ]; then
    for program in "$build"/fuzzers/fuzz_*; do
        [ -x "$program" ] && names+=("$(basename "$program" | sed 's/^fuzz_//')")
    done
fi

findings="$build/findings"
mkdir -p "$findings"
failed=()
for name in "${names[@]}"; do
    program="$build/fuzzers/fuzz_$name"
    seeds="fuzz/corpus/$name"
    if [ ! -x "$program" ] || [ ! -d "$seeds" ]; then
        echo "fuzz: $name has no program or no seed corpus ($seeds)" >&2
        failed+=("$name")
        continue
    fi
    # New inputs go to the build's own corpus; the committed seeds are only read.
    corpus="$build/corpus/$name"
    mkdir -p "$corpus"
    read -r -a extra <"$build/fuzzers/fuzz_$name.args" || extra=()
    echo "fuzz: $name for ${seconds}s"
    ASAN_OPTIONS="${ASAN_OPTIONS:-abort_on_error=0:detect_leaks=1}" \
    UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}" \
        "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/$name-" "${extra[@]}" \
        "$corpus" "$seeds" >"$build/fuzz-$name.log" 2>&1
    code=$?
    grep -E '^(stat::number_of_executed_units|stat::new_units_added)' "$build/fuzz-$name.log"
    if [ $code -ne 0 ]; then
        echo "fuzz: $name FAILED (exit $code); log $build/fuzz-$name.log" >&2
        grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$build/fuzz-$name.log" >&2
        failed+=("$name")
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: findings in: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: ${#names[@]} targets, no findings"
