#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs the whole test suite
# twice: once as is, once under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)

scripts/install-deps.sh test
scripts/check-format.sh

echo "== Build and test =="
# The test options are named, so that an earlier configuration of the same folder cannot turn
# the tests off; CTest fails when it finds none.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DREKOVA_WERROR=ON -DREKOVA_BUILD_TESTS=ON \
    -DREKOVA_SANITIZE=OFF
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"

echo "== Build and test with AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DREKOVA_WERROR=ON \
    -DREKOVA_BUILD_TESTS=ON -DREKOVA_SANITIZE=ON
cmake --build build-asan -j "$jobs"
ctest --test-dir build-asan --output-on-failure --no-tests=error -j "$jobs"

if [ -x scripts/fuzz.sh ]; then
    echo "== Short fuzz run =="
    scripts/fuzz.sh
fi

echo "All tests passed."
