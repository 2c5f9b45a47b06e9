#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks optimised and runs them all; prints every
# operation ÷ baseline ratio and the peak memory of an add.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DREKOVA_BUILD_TESTS=OFF \
    -DREKOVA_BUILD_BENCH=ON
cmake --build build-bench -j "$(nproc)" --target rekova_bench
# Three repetitions spread each row over time, so that a burst of load elsewhere meets only part
# of its rounds; the summary takes the low deciles of all of them.
build-bench/bench/rekova_bench --benchmark_min_time=0.5 --benchmark_repetitions=3 \
    --benchmark_display_aggregates_only=true "$@"
