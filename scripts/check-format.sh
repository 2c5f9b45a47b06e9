#!/usr/bin/env bash
# Fails when a C++ file of the project is not formatted by .clang-format.
# In a git checkout it checks the tracked files and new ones not yet added; without one (a
# release tarball, or a checkout git refuses to read) it checks the C++ files it finds.
set -euo pipefail
cd "$(dirname "$0")/.."

top=$(pwd -P)
source_dirs=(src tests bench fuzz data)

# Prints the checkout's files, or fails with git's own words on standard error.
list_from_git() {
    command -v git >/dev/null 2>&1 || {
        echo "git is not installed" >&2
        return 1
    }
    local root
    root=$(git rev-parse --show-toplevel) || return 1
    # A tarball unpacked inside some other checkout is not a checkout of its own.
    if [ "$(cd "$root" && pwd -P)" != "$top" ]; then
        echo "$top lies inside the checkout $root but is not one itself" >&2
        return 1
    fi
    # Tracked, and new files not yet added; a file deleted but not yet committed is left out.
    git ls-files -co --exclude-standard -- '*.cpp' '*.h' | grep -v '^build' || true
}

list_found() {
    local dirs=()
    for d in "${source_dirs[@]}"; do
        [ -d "$d" ] && dirs+=("$d")
    done
    [ ${#dirs[@]} -eq 0 ] && return 0
    find "${dirs[@]}" -type f \( -name '*.cpp' -o -name '*.h' \) | LC_ALL=C sort
}

if [ -e .git ]; then
    if ! git_error=$(list_from_git 2>&1 >/dev/null); then
        # Say why: "detected dubious ownership" (another user's checkout) needs a different
        # remedy from a broken one.
        echo "check-format: git cannot list this checkout's files, so the C++ files found" \
            "under ${source_dirs[*]} are checked instead. git said:" >&2
        sed 's/^/    /' <<<"$git_error" >&2
        mapfile -t listed < <(list_found)
    else
        mapfile -t listed < <(list_from_git)
    fi
else
    echo "check-format: no git checkout here (a release tarball?): checking the C++ files" \
        "found under ${source_dirs[*]}."
    mapfile -t listed < <(list_found)
fi

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
