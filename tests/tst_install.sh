#!/usr/bin/env bash
# Installs a build tree under /usr in an empty root, as the Debian package lays it out, and checks
# what lands there: the program, a valid menu entry and AppStream metadata under one id, the icon
# in every theme size, a manual page groff reads without a warning, and the copyright and changelog.
# Usage: tst_install.sh <cmake> <build dir> <root>
set -euo pipefail
cmake=$1 build=$2 root=$3

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

need() {
    command -v "$1" >/dev/null || fail "$1 not found ($2)"
}
need desktop-file-validate desktop-file-utils
need appstreamcli appstream
need groff groff-base

rm -rf "$root"
DESTDIR=$root "$cmake" --install "$build" --prefix /usr >/dev/null
prefix=$root/usr
id=com.example.rekova

[ -x "$prefix/bin/rekova" ] || fail "bin/rekova is missing or not executable"

entry=$prefix/share/applications/$id.desktop
[ -f "$entry" ] || fail "share/applications/$id.desktop is missing"
report=$(desktop-file-validate "$entry" 2>&1) || fail "$id.desktop does not validate: $report"
[ -z "$report" ] || fail "$id.desktop has warnings: $report"
for line in "Name=暦丸" "Exec=rekova" "Icon=rekova" "Type=Application" "Categories=Office;Calendar;"; do
    grep -qxF "$line" "$entry" || fail "$id.desktop lacks the line $line"
done

# validate-tree also finds the menu entry the metadata names as its launchable.
metainfo=$prefix/share/metainfo/$id.metainfo.xml
[ -f "$metainfo" ] || fail "share/metainfo/$id.metainfo.xml is missing"
report=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "$id.metainfo.xml: $report"
report=$(appstreamcli validate-tree --no-net "$root" 2>&1) || fail "installed tree: $report"
grep -qF "<id>$id</id>" "$metainfo" || fail "$id.metainfo.xml does not have the id $id"

for size in 16 32 48 64 128; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/rekova.png
    [ -f "$icon" ] || fail "${size}x${size} icon is missing"
    # A PNG opens with its signature and the IHDR chunk: width and height at bytes 16 and 20.
    signature=$(od -An -tx1 -N8 "$icon" | tr -d ' \n')
    dimensions=$(od -An -tx1 -j16 -N8 "$icon" | tr -d ' \n')
    expected=$(printf '%08x%08x' "$size" "$size")
    [ "$signature" = 89504e470d0a1a0a ] || fail "$icon is not a PNG"
    [ "$dimensions" = "$expected" ] || fail "$icon is not ${size}x${size} ($dimensions)"
done
svg=$prefix/share/icons/hicolor/scalable/apps/rekova.svg
[ -f "$svg" ] || fail "scalable icon is missing"
grep -q '<svg ' "$svg" || fail "$svg is not an SVG image"

man_page=$prefix/share/man/man1/rekova.1.gz
[ -f "$man_page" ] || fail "share/man/man1/rekova.1.gz is missing"
# The page is UTF-8 (its Japanese menu names); without -K, preconv takes the locale's encoding,
# Latin-1 when none is set.
report=$(gzip -dc "$man_page" | groff -K utf8 -man -Tutf8 -ww -z 2>&1) || fail "groff failed: $report"
[ -z "$report" ] || fail "the manual page has warnings: $report"

doc=$prefix/share/doc/rekova
head -n1 "$doc/copyright" 2>/dev/null | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' \
    || fail "share/doc/rekova/copyright is missing or not in the machine-readable format"
gzip -t "$doc/changelog.gz" 2>/dev/null || fail "share/doc/rekova/changelog.gz is missing or damaged"

echo "Installed tree in $root is complete."
