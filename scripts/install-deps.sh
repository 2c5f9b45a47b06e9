#!/usr/bin/env bash
# Installs the Debian packages that one purpose needs, and does nothing when they are all present:
#   run      build and start the program
#   test     that, and the tools of the test command and the benchmarks
#   package  that of run, and the tools that build and check the Debian package
# Usage: install-deps.sh run|test|package
set -euo pipefail

# Building and running: compiler, Qt, the X11 headers desktop.cpp uses, Qt's Japanese texts, the
# face the window layout was drawn for, and Japanese input through fcitx5.
run_packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-translations-l10n libxcb1-dev
    libical-dev # calendar files (.ics) in and out
    liberfa-dev # the Sun and the Moon of the 旧暦 and the solar terms
    qtkeychain-qt6-dev # the calendar server's password in the desktop's keyring
    fonts-ipafont-gothic
    fcitx5-frontend-qt6
)

# The test command: the format check (clang-format, and git for the file list), clang with its
# sanitizer and fuzzer runtimes, a virtual X server, prlimit and setfacl for the fault tests, the
# checks of the installed tree (menu entry, AppStream metadata, manual page), the benchmark
# library, the about window's face, and a private session bus with a stand-in notification
# service.
test_packages=(
    git clang clang-format libclang-rt-14-dev
    xvfb xauth x11-utils
    util-linux acl
    desktop-file-utils appstream groff-base
    libbenchmark-dev
    python3-icalendar # a second reader of exported calendars
    fonts-ipafont-mincho fonts-noto-cjk fonts-vlgothic
    dbus-daemon python3-dbusmock
    # CalDAV servers and a second client for the calendar sync's tests
    radicale python3-passlib python3-bcrypt apache2-utils xandikos python3-caldav openssl
)

# The Debian package: dpkg-shlibdeps and file for CPack's dependency scan, lintian to check it.
package_packages=(
    dpkg-dev file lintian
)

case ${1:-} in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
package) packages=("${run_packages[@]}" "${package_packages[@]}") ;;
*)
    echo "usage: install-deps.sh run|test|package" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi
"${sudo_cmd[@]}" apt-get update
"${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y "${missing[@]}"
