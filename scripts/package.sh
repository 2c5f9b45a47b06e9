#!/usr/bin/env bash
# Builds the Debian package dist/rekova_<version>_<arch>.deb: an optimised build with Debian's
# hardening flags, laid out under /usr and packed by CPack, then checked by lintian. Fails when
# lintian reports an error or a warning; its informational tags are shown and allowed.
# One commit gives the same package byte for byte: every date in it is the commit's, and the
# build leaves neither its folder nor its time in the program.
set -euo pipefail
cd "$(dirname "$0")/.."
# The installed files' modes come from the build tree; a narrower or wider umask would show.
umask 022

build=build-deb
dist=dist

scripts/install-deps.sh package

# The date of the commit; in a release tarball, or a checkout git will not read, the date of the
# changelog's latest entry. A date already in the environment wins, as build tools expect.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
    if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
        SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    else
        SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l packaging/changelog -S Timestamp)
    fi
fi
export SOURCE_DATE_EPOCH
echo "Dates in the package: $(date -u -d "@$SOURCE_DATE_EPOCH" '+%Y-%m-%d %H:%M:%S UTC')"

# reproducible=+all maps the source folder to "." in what the compiler writes (-ffile-prefix-map).
export DEB_BUILD_MAINT_OPTIONS="hardening=+all reproducible=+all"
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

echo "== Build =="
# From an empty folder, so that nothing of an earlier configuration or build gets in.
rm -rf "$build"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DREKOVA_BUILD_TESTS=OFF -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
cmake --build "$build" -j "$(nproc)"

echo "== Package =="
(cd "$build" && cpack -G DEB)
debs=("$build"/rekova_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "package.sh: CPack made no single rekova_*.deb in $build" >&2
    exit 1
fi
mkdir -p "$dist"
deb=$dist/$(basename "${debs[0]}")
mv -f "${debs[0]}" "$deb"

echo "== lintian =="
lintian --fail-on error,warning --display-info "$deb"
echo "Package: $deb"
