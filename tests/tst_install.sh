#!/usr/bin/env bash
# Installs a build tree into an empty prefix and checks what lands there: the program, a valid
# menu entry and the icon in both theme sizes.
# Usage: tst_install.sh <cmake> <build dir> <prefix>
set -euo pipefail
cmake=$1 build=$2 prefix=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

rm -rf "$prefix"
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

[ -x "$prefix/bin/rekova" ] || fail "bin/rekova is missing or not executable"

entry=$prefix/share/applications/rekova.desktop
[ -f "$entry" ] || fail "share/applications/rekova.desktop is missing"
command -v desktop-file-validate >/dev/null || fail "desktop-file-validate not found (desktop-file-utils)"
report=$(desktop-file-validate "$entry" 2>&1) || fail "rekova.desktop does not validate: $report"
[ -z "$report" ] || fail "rekova.desktop has warnings: $report"
for line in "Name=暦丸" "Exec=rekova" "Icon=rekova" "Type=Application" "Categories=Office;Calendar;"; do
    grep -qxF "$line" "$entry" || fail "rekova.desktop lacks the line $line"
done

for size in 16 32; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/rekova.png
    [ -f "$icon" ] || fail "${size}x${size} icon is missing"
    # A PNG opens with its signature and the IHDR chunk: width and height at bytes 16 and 20.
    signature=$(od -An -tx1 -N8 "$icon" | tr -d ' \n')
    dimensions=$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')
    expected=$(printf '%08x%08x' "$size" "$size")
    [ "$signature" = 89504e470d0a1a0a ] || fail "$icon is not a PNG"
    [ "$dimensions" = "$expected" ] || fail "$icon is not ${size}x${size} ($dimensions)"
done
echo "Installed tree in $prefix is complete."
