#!/usr/bin/env bash
# The real-display leg: the staged salvind under Xvfb, with and without
# openbox, driven by XTEST input and checked against screenshots of the X
# server (tests/display, ctest label "display"). Uses the ci build, and makes
# and checks the Debian packages from it, whose unpacked client and server
# the leg's scenarios start. A failed scenario keeps its screenshots under
# build/ci/tests/display/runs/.
set -euo pipefail
cd "$(dirname "$0")/../.."

source scripts/lib/packages.sh
# dbus-run-session, the accessibility bus and pyatspi: the screen reader's
# view of the lobby, read on a private session bus.
ensure_packages xvfb openbox libx11-dev libxtst-dev openssl dbus-daemon at-spi2-core python3-pyatspi || exit 1

scripts/setup.sh ci
# A package that fails its checks fails the leg; the scenarios run all the same.
status=0
scripts/package.sh ci || status=1
export SALVIND_REQUIRE_PACKAGES=1
# The scenarios start their own X servers; nothing of the caller's display
# or of the headless legs may leak into the client; the screen reader's
# scenario brings its own session bus.
unset DISPLAY QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
ctest --preset ci -L display --no-tests=error --timeout 120 || status=1
exit $status
