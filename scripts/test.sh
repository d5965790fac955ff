#!/usr/bin/env bash
# Builds Velmora and runs every test: the normal build, then the whole suite
# again built with AddressSanitizer and UndefinedBehaviorSanitizer.
#   scripts/test.sh            everything
#   scripts/test.sh --quick    the normal build only
set -euo pipefail
cd "$(dirname "$0")/.."

quick=0
[ "${1:-}" = "--quick" ] && quick=1

scripts/deps.sh

jobs=$(nproc)

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELMORA_WERROR=ON -DVELMORA_TESTS=ON -DVELMORA_BENCH=ON
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

if [ "$quick" -eq 0 ]; then
    cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=ON -DVELMORA_TESTS=ON -DVELMORA_BENCH=OFF -DVELMORA_WERROR=ON
    cmake --build build-asan -j"$jobs"
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j"$jobs"

    # Short fuzz runs: the engine against its plain reference implementation.
    fuzz/run.sh 30
fi
