#!/usr/bin/env bash
# Runs read-tree.py against the fixture under a virtual X server, with a
# session bus of its own on which the accessibility bus starts.
#   run-bus-test.sh FIXTURE
# Exits 77 (skipped), saying what is missing, where a part is not installed
# (setup.sh test installs them all).
set -euo pipefail

fixture=$1
here=$(cd "$(dirname "$0")" && pwd)

skip() {
    echo "SKIPPED: $*"
    exit 77
}

command -v xvfb-run >/dev/null || skip "no xvfb-run (package xvfb)"
command -v dbus-run-session >/dev/null || skip "no dbus-run-session (package dbus)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "no accessibility bus (package at-spi2-core)"
# The system's Python: the bindings are Debian packages, not in a Python of one's own.
python=
for candidate in /usr/bin/python3 python3; do
    if "$candidate" -c 'import gi; gi.require_version("Atspi", "2.0")' 2>/dev/null; then
        python=$candidate
        break
    fi
done
[ -n "$python" ] || skip "no Python bindings of AT-SPI (packages python3-gi, gir1.2-atspi-2.0)"

exec xvfb-run -a -s "-screen 0 1000x700x24" dbus-run-session -- "$python" "$here/read-tree.py" "$fixture"
