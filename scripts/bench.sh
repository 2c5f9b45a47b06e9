#!/usr/bin/env bash
# Installs what is missing, builds the benchmarks optimised and runs them all; prints every
# operation ÷ baseline ratio and the peak memory of an add.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DREKOVA_BUILD_TESTS=OFF \
    -DREKOVA_BUILD_BENCH=ON
cmake --build build-bench -j "$(nproc)" --target rekova_bench
build-bench/bench/rekova_bench "$@"
