#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time (FUZZ_SECONDS,
# 60 by default). Fails on any crash, leak or timeout.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DREKOVA_BUILD_TESTS=OFF -DREKOVA_BUILD_FUZZ=ON
cmake --build build-fuzz -j "$(nproc)" --target fuzz_schedulefile

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp fuzz/corpus/* "$work/"
build-fuzz/fuzz/fuzz_schedulefile -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 "$work"
