#!/usr/bin/env bash
# The Windows leg: installs MinGW-w64, Wine, Xvfb and the googletest sources
# (only what is missing), builds the tools natively, cross-builds the client
# and its tests for x86_64 Windows, runs the suite under wine64 on a private
# X display, then the real-display check (splash and gate pixel for pixel,
# typing into the login window, the access request at a peer, the lobby of
# the real server with every building in its place), and the installer:
# silently installed, the installed client started, uninstalled.
# The i686 build is not part of the leg (these machines cannot run 32-bit
# programs): scripts/legs/windows.sh --i686 only builds it.
set -euo pipefail
cd "$(dirname "$0")/../.."

source scripts/lib/packages.sh
packages=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine64 xvfb xauth openbox xdotool x11-utils
    imagemagick googletest python3 cmake ninja-build nsis libssl-dev openssl)
ensure_packages "${packages[@]}" || exit 1

if [ "${1:-}" = "--i686" ]; then
  cmake --preset ci >/dev/null
  cmake --build --preset ci --target orva-art orva-pack
  cmake --preset mingw32 >/dev/null
  cmake --build --preset mingw32
  exit 0
fi

# The build runs the picture generator and packer of a native build.
cmake --preset ci >/dev/null
# The real-display check logs in at the build machine's lobby server.
cmake --build --preset ci --target orva-art orva-pack orva-inspect orva-lobbyd salvind_server_demo salvind_assets
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64

wine64=$(command -v wine64 || echo /usr/lib/wine/wine64)
# Debian's wine64 package alone keeps wineserver in /usr/lib/wine, off the PATH.
command -v wineserver >/dev/null || export PATH="/usr/lib/wine:$PATH"
export WINE="$wine64" WINEDEBUG=-all WINEPREFIX="$PWD/build/mingw64/wine" WINEDLLOVERRIDES="mscoree,mshtml="

# A display number nobody uses, and everything we start stopped on exit.
display=""
for n in $(seq 200 299); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "no free X display"; exit 1; }
# Room for a window at scale 2 (the gate is 1280 x 800 there).
Xvfb ":$display" -screen 0 2560x1600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
wm_pid=""
cleanup() {
  [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null || true
  WINEPREFIX="$WINEPREFIX" timeout 30 wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$display"
for _ in $(seq 1 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done

# The prefix is made once, bounded, and counted as made only once wineboot
# and every process it started have finished: a prefix left half made (a
# start cut short on a loaded machine) is made again, never handed to the
# test programs, whose first start would otherwise do the rest inside its
# own timeout or hang there.
ready="$WINEPREFIX/.salvind-prefix-ready"
make_prefix() {
  timeout 30 wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX"
  timeout 300 "$wine64" wineboot -i >/dev/null 2>&1 &&
    timeout 120 wineserver -w &&
    [ -f "$WINEPREFIX/system.reg" ] && touch "$ready"
}
if [ ! -f "$ready" ]; then
  echo "Windows leg: making the Wine prefix"
  prefix_start=$SECONDS
  if ! make_prefix; then
    echo "Windows leg: making the Wine prefix failed after $((SECONDS - prefix_start)) s; trying once more"
    timeout 30 wineserver -k 2>/dev/null || true
    make_prefix || {
      timeout 30 wineserver -k 2>/dev/null || true
      echo "Windows leg: could not make the Wine prefix $WINEPREFIX"
      exit 1
    }
  fi
  echo "Windows leg: Wine prefix made in $((SECONDS - prefix_start)) s"
fi
# One wine server for the whole leg (it stays 120 s after its last client;
# the cleanup stops it), so each test program starts quickly. It returns once
# the server listens. Then a first program, waited for here, brings up Wine's
# own services (services.exe, winedevice.exe, ...), which stay while the
# server does. They inherit the standard output of the program that started
# them: started by a test program they would hold CTest's pipe open after
# the program had ended, and CTest would wait for it to its timeout (how
# core_tests once took 600 s).
timeout 30 wineserver -k 2>/dev/null || true  # one left by a leg that was cut short
timeout 30 wineserver -p 120 >/dev/null 2>&1 || {
  echo "Windows leg: the wine server does not start for $WINEPREFIX"
  exit 1
}
timeout 120 "$wine64" cmd.exe /c exit >/dev/null 2>&1 </dev/null || {
  echo "Windows leg: wine64 does not start programs in $WINEPREFIX"
  exit 1
}

# Each program has a timeout of its own (tests/CMakeLists.txt: 90 s, 300 s
# with windows), so one that hangs costs minutes, not the leg.
status=0
ctest --preset mingw64 --timeout 300 || status=1

openbox >/dev/null 2>&1 &
wm_pid=$!
sleep 1
python3 tests/win32/display/display_check.py build/mingw64/stage build/ci/tools/orva-inspect build/ci/stage/server \
  build/mingw64/salvind-setup-*-x86_64.exe \
  ${SALVIND_SCREENSHOT_DIR:+"$SALVIND_SCREENSHOT_DIR"} || status=1
exit $status
