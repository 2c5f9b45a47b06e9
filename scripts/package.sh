#!/usr/bin/env bash
# Builds the Debian package dist/rekova_<version>_<arch>.deb: an optimised build with Debian's
# hardening flags, laid out under /usr and packed by CPack, then checked by lintian. Fails when
# lintian reports an error or a warning; its informational tags are shown and allowed.
set -euo pipefail
cd "$(dirname "$0")/.."

build=build-deb
dist=dist

scripts/install-deps.sh package

export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)

echo "== Build =="
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DREKOVA_BUILD_TESTS=OFF -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags"
cmake --build "$build" -j "$(nproc)"

echo "== Package =="
rm -f "$build"/rekova_*.deb
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
