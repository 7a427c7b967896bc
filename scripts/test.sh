#!/usr/bin/env bash
# Builds and runs the whole test suite: once with warnings as errors, once
# under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
export QT_QPA_PLATFORM=offscreen
for preset in ci sanitize; do
  scripts/setup.sh "$preset"
  ctest --preset "$preset" --timeout 300 -j2
done
