#!/usr/bin/env bash
# Builds the Debian packages salvind and orva-lobbyd from a built tree (the
# ci preset unless another is named) into build/package/, then checks them:
# lintian (no error), desktop-file-validate and appstreamcli validate.
set -euo pipefail
preset="${1:-ci}"
cd "$(dirname "$0")/.."

source scripts/lib/packages.sh
# dpkg-shlibdeps (dpkg-dev) and file give the dependencies; strip comes with the compiler.
ensure_packages dpkg-dev file lintian desktop-file-utils appstream gzip || exit 1

out=build/package
rm -rf "$out"
mkdir -p "$out"

# The packages hold what the build stages; only what is missing is built,
# and its output shown only when it fails.
if ! scripts/setup.sh "$preset" salvind salvind_assets salvind_package_files orva-lobbyd orva-lobbyctl \
    salvind_server_demo chess cards dice go backgammon puzzles >"$out/build.log" 2>&1; then
  cat "$out/build.log"
  exit 1
fi
if ! cpack --config "build/$preset/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"
  exit 1
fi
rm -rf "$out/_CPack_Packages"

status=0
for deb in "$out"/salvind_*.deb "$out"/orva-lobbyd_*.deb; do
  [ -f "$deb" ] || { echo "package.sh: $deb was not made"; exit 1; }
  # Errors fail the check; warnings are shown for the record.
  lintian --fail-on error "$deb" >"$deb.lintian" 2>&1 || {
    echo "package.sh: lintian finds errors in $deb:"; status=1; }
  grep -E '^[EW]:' "$deb.lintian" || true
done

# The client's desktop entry and metadata, as the package holds them.
client=$(mktemp -d)
trap 'rm -rf "$client"' EXIT
dpkg-deb -x "$out"/salvind_*.deb "$client"
desktop-file-validate "$client"/usr/share/applications/*.desktop || status=1
appstreamcli validate --no-net --pedantic "$client"/usr/share/metainfo/*.metainfo.xml >"$out/appstream.log" 2>&1 || {
  cat "$out/appstream.log"; status=1; }

[ $status -eq 0 ] && echo "packages: $(cd "$out" && ls ./*.deb | tr '\n' ' ')"
exit $status
