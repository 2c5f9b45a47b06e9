#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted by .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -v '^build')
if [ ${#files[@]} -eq 0 ]; then
    exit 0
fi
clang-format --dry-run -Werror "${files[@]}"
echo "Formatting: ${#files[@]} files checked."
