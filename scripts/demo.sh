#!/usr/bin/env bash
# The headless demo: the whole road of the end-to-end scenario (the real
# lobby server, the client and a sample game) on a private Xvfb with
# openbox, saving the README's pictures into docs/screenshots/ (or the
# folder given): splash_demo, gate_demo, login_demo, lobby_demo,
# welcome_demo, status_demo and game_demo. Uses the ci build, like the
# display leg; nothing waits for a person.
set -euo pipefail
cd "$(dirname "$0")/.."
out="$(realpath -m "${1:-docs/screenshots}")"

source scripts/lib/packages.sh
ensure_packages xvfb openbox libx11-dev libxtst-dev || exit 1

scripts/setup.sh ci display_tests
mkdir -p "$out"
# The scenario starts its own X server; nothing of the caller's display may
# leak into the client.
unset DISPLAY QT_QPA_PLATFORM
SALVIND_SCREENSHOT_DIR="$out" timeout 180 build/ci/tests/display/display_tests \
  --gtest_filter='DemoRoad.TheDemoAccountPlaysWhileAnOperatorRunsTheLobbyAndThenStopsIt'
for name in splash gate login lobby welcome status game; do
  [ -s "$out/${name}_demo.png" ] || { echo "demo.sh: ${name}_demo.png was not saved" >&2; exit 1; }
done
echo "demo.sh: the pictures are in $out"
