#!/usr/bin/env bash
# ./setup.sh        installs what is missing, builds and starts Pairsight
# ./setup.sh test   installs what is missing, builds and runs every test:
#                   once in the normal build and once under AddressSanitizer
#                   and UndefinedBehaviorSanitizer (with each fuzz target for
#                   30 s), and the tests that run threads under ThreadSanitizer
# ./setup.sh package  builds the Debian package build-package/pairsight_*.deb
#                   and checks it with lintian
set -euo pipefail

cd "$(dirname "$0")"
mode=${1:-run}
case "$mode" in
run | test | package) ;;
*)
    echo "usage: $0 [test | package]" >&2
    exit 2
    ;;
esac

packages=(
    cmake ninja-build g++ pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    libicu-dev libpcre2-dev libcurl4-openssl-dev
    libgtest-dev libssl-dev
    fonts-dejavu-core
    qt6-translations-l10n
)
# clang builds the sanitizer build and libFuzzer (in libclang-rt-14-dev) the fuzz
# targets; clang-format and clang-tidy check the style. The accessibility test
# reads the windows over the real accessibility bus (at-spi2-core, on a session
# bus of dbus) with Python's AT-SPI bindings.
[ "$mode" = test ] && packages+=(xvfb xauth git clang libclang-rt-14-dev clang-format clang-tidy
    dbus at-spi2-core python3-gi gir1.2-atspi-2.0)
# The install check validates the menu entry and the AppStream record.
[ "$mode" = test ] && packages+=(desktop-file-utils appstream)
# cpack finds the package's dependencies with dpkg-shlibdeps, which needs file.
[ "$mode" = package ] && packages+=(dpkg-dev file lintian)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
    [ "$status" = installed ] || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc)

build() { # dir, extra cmake arguments...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja "$@"
    cmake --build "$dir" -j "$jobs"
}

if [ "$mode" = run ]; then
    build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display found, so Pairsight cannot open its window here." >&2
        echo "Run it under a virtual X server instead:  xvfb-run -a build/app/pairsight" >&2
        echo "(install it with: sudo apt-get install xvfb xauth)" >&2
        exit 1
    fi
    exec build/app/pairsight
fi

if [ "$mode" = package ]; then
    # Debian's own hardening and optimisation flags, as a package build gets them.
    export DEB_BUILD_MAINT_OPTIONS=hardening=+all
    CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
        LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
        build build-package -DCMAKE_BUILD_TYPE=Release -DPAIRSIGHT_TESTS=OFF -DCMAKE_INSTALL_PREFIX=/usr
    rm -f build-package/pairsight_*.deb
    (cd build-package && cpack -G DEB)
    deb=$(ls build-package/pairsight_*.deb)
    lintian --fail-on error "$deb"
    echo "Built $deb; install it with: sudo apt-get install ./$deb"
    exit 0
fi

build build -DCMAKE_BUILD_TYPE=RelWithDebInfo
tests/check-style.sh . build
(cd build && ctest --output-on-failure -j "$jobs")
# The same suite under a locale with its own case rules (dotted and dotless i)
# flushes out any hidden dependence on the machine's locale.
(cd build && LANG=tr_TR.UTF-8 LC_ALL=tr_TR.UTF-8 ctest --output-on-failure -j "$jobs")

# clang, so that the fuzz targets come out of the same build; ctest runs each
# of them for a bounded time besides the tests.
build build-asan -DCMAKE_BUILD_TYPE=Debug -DPAIRSIGHT_SANITIZE=ON -DPAIRSIGHT_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++
(cd build-asan && ctest --output-on-failure -j "$jobs")

# ThreadSanitizer needs only the program of the tests that run threads.
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPAIRSIGHT_TSAN=ON
cmake --build build-tsan -j "$jobs" --target pairsight_thread_tests
(cd build-tsan && ctest --output-on-failure -j "$jobs")
