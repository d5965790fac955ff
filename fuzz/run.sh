#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each of them.
#   fuzz/run.sh [SECONDS] [TARGET...]
# SECONDS (default 30) is the time for each target; 0 only replays the corpus.
# TARGET picks some of table_fuzzer, sourcetext_fuzzer, convert_fuzzer.
#
# New inputs go to build-fuzz/corpus/TARGET (fuzz/corpus/TARGET, the checked-in
# seeds, is only read); an input that crashes or finds a difference is saved
# under build-fuzz/artifacts/TARGET/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-30}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(table_fuzzer sourcetext_fuzzer convert_fuzzer)

if ! [[ "$seconds" =~ ^[0-9]+$ ]]; then
    echo "fuzz: SECONDS must be a whole number, not '$seconds'" >&2
    exit 2
fi
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is missing (scripts/deps.sh installs it)" >&2
    exit 1
fi

jobs=${FUZZ_BUILD_JOBS:-2}
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DVELMORA_FUZZ=ON -DVELMORA_GUI=OFF -DVELMORA_TESTS=OFF -DVELMORA_BENCH=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target "${targets[@]}"

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

failed=()
for target in "${targets[@]}"; do
    seeds=fuzz/corpus/$target
    work=build-fuzz/corpus/$target
    artifacts=build-fuzz/artifacts/$target/
    mkdir -p "$work" "$artifacts"
    if [ "$seconds" -eq 0 ]; then
        limits=(-runs=0)
        echo "fuzz: $target, replaying its corpus"
    else
        limits=(-max_total_time="$seconds")
        echo "fuzz: $target for ${seconds}s"
    fi
    if ! build-fuzz/fuzz/"$target" "${limits[@]}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$artifacts" "$work" "$seeds" \
        >"build-fuzz/$target.log" 2>&1; then
        tail -n 40 "build-fuzz/$target.log" >&2
        echo "fuzz: $target failed; the input is in $artifacts (log: build-fuzz/$target.log)" >&2
        failed+=("$target")
    else
        grep -E '^stat::number_of_executed_units|^Done' "build-fuzz/$target.log" || true
    fi
done

if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzz: failed: ${failed[*]}" >&2
    exit 1
fi
echo "fuzz: all targets passed"
