#!/usr/bin/env bash
# Installs what the build needs (only what is missing), then configures and
# builds the given preset: all of it, or only the targets named after it.
# Used by run.sh, demo.sh and the test legs.
set -euo pipefail
preset="${1:-default}"
targets=("${@:2}")
cd "$(dirname "$0")/.."

source scripts/lib/packages.sh
packages=(g++ cmake ninja-build pkg-config
    qt6-base-dev qt6-qpa-plugins fonts-liberation fonts-dejavu-core libxcb1-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    libasio-dev libtomlplusplus-dev libsqlite3-dev libsodium-dev libssl-dev openssl
    libpq-dev postgresql libcpp-httplib-dev)
ensure_packages "${packages[@]}" || exit 1

cmake --preset "$preset" >/dev/null
if [ ${#targets[@]} -gt 0 ]; then
  cmake --build --preset "$preset" --target "${targets[@]}"
else
  cmake --build --preset "$preset"
fi
