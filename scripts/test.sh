#!/usr/bin/env bash
# Installs what is missing, checks the formatting, then builds and runs the whole test suite
# twice: once as is, once under AddressSanitizer and UndefinedBehaviorSanitizer.
# Usage: test.sh [--plain]   (--plain: only the format check and the first build and run)
# Started through sudo, it installs as root and then builds and tests as the user who called
# sudo, as scripts/run.sh does: root's files in the build folders would shut that user out of
# them. Root without sudo (as CI) builds and tests as root, where the tests of other users'
# files run too.
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=$(nproc)
plain=false
case ${1:-} in
"") ;;
--plain) plain=true ;;
*)
    echo "usage: test.sh [--plain]" >&2
    exit 2
    ;;
esac

scripts/install-deps.sh test
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    exec runuser -u "$SUDO_USER" -- scripts/test.sh "$@"
fi

# A build folder holding another user's files (an earlier run as root) fails halfway through
# the tests with "Permission denied"; say so at once, with the remedy.
if [ "$(id -u)" -ne 0 ]; then
    used=(build)
    $plain || used+=(build-asan build-fuzz)
    foreign=()
    for dir in "${used[@]}"; do
        if [ -d "$dir" ] && [ -n "$(find "$dir" ! -user "$(id -u)" -print -quit 2>/dev/null)" ]; then
            foreign+=("$dir")
        fi
    done
    if [ ${#foreign[@]} -gt 0 ]; then
        echo "test.sh: files of another user (an earlier run as root?) are in ${foreign[*]}," \
            "and $(id -un) cannot replace them. Remove those build folders, then run this again:" >&2
        echo "    sudo rm -r ${foreign[*]}" >&2
        exit 1
    fi
fi

scripts/check-format.sh

echo "== Build and test =="
# The test options are named, so that an earlier configuration of the same folder cannot turn
# the tests off; CTest fails when it finds none.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DREKOVA_WERROR=ON -DREKOVA_BUILD_TESTS=ON \
    -DREKOVA_SANITIZE=OFF
cmake --build build -j "$jobs"
ctest --test-dir build --output-on-failure --no-tests=error -j "$jobs"
if $plain; then
    echo "Format check and tests passed (without the sanitizer run)."
    exit 0
fi

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
