#!/usr/bin/env bash
# Builds the client and starts it from its staged tree (binary, data/, games/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh default
cd build/default/stage
exec ./salvind "$@"
