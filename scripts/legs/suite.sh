#!/usr/bin/env bash
# The unit, toolkit and headless screen tests of one preset (ci or sanitize).
set -euo pipefail
preset="${1:?preset}"
cd "$(dirname "$0")/../.."
export QT_QPA_PLATFORM=offscreen
scripts/setup.sh "$preset"
# The real-display scenarios are the display leg's.
ctest --preset "$preset" --timeout 300 -j2 -LE display
