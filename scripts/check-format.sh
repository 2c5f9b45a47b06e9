#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted by .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    echo "check-format: not a git checkout, so the project's files cannot be listed." >&2
    exit 1
fi
# Tracked, and new files not yet added; a file deleted but not yet committed is left out.
mapfile -t listed < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -v '^build')
files=()
for f in "${listed[@]}"; do
    [ -f "$f" ] && files+=("$f")
done
if [ ${#files[@]} -eq 0 ]; then
    echo "check-format: no C++ files found." >&2
    exit 1
fi
clang-format --dry-run -Werror "${files[@]}"
echo "Formatting: ${#files[@]} files checked."
