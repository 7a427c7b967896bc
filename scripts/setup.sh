#!/usr/bin/env bash
# Installs what the build needs (only what is missing), then configures and
# builds the given preset: all of it, or only the targets named after it.
# Used by run.sh, demo.sh and the test legs.
set -euo pipefail
preset="${1:-default}"
targets=("${@:2}")
cd "$(dirname "$0")/.."

packages=(g++ cmake ninja-build pkg-config
  qt6-base-dev qt6-qpa-plugins fonts-liberation fonts-dejavu-core libxcb1-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libasio-dev libtomlplusplus-dev libsqlite3-dev libsodium-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

cmake --preset "$preset" >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build --preset "$preset" --target "${targets[@]}"
else
  cmake --build --preset "$preset"
fi
