#!/usr/bin/env bash
# Installs what is missing, builds the program and starts it. Only apt-get runs as root (through
# sudo when a user runs this); the build and the window belong to the user who runs it, so that
# the memos and the setting are that user's. Started through sudo, it goes back to that user.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
if [ "$(id -u)" -eq 0 ] && [ -n "${SUDO_USER:-}" ] && [ "$SUDO_USER" != root ]; then
    exec runuser -u "$SUDO_USER" -- scripts/run.sh "$@"
fi
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DREKOVA_BUILD_TESTS=OFF
cmake --build build-release --target rekova
exec build-release/src/rekova "$@"
