#!/bin/sh
# Redraws every picture of the program into resources/images (each at 1x and
# as name@2x.png) and rewrites resources/images.qrc. Needs only Qt 6 and a
# compiler; the build itself uses the committed PNGs and never runs this.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=${ARTWORK_BUILD:-$here/../build-artwork}

cmake -S "$here/artwork" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j2
rm -f "$here"/images/*.png
QT_QPA_PLATFORM=offscreen "$build/make-artwork" "$here/images" "$here/images.qrc"
