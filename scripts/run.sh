#!/usr/bin/env bash
# Starts the game in a window; without a display, plays the scripted demo under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
if [ -n "${DISPLAY:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1; then
  exec "$build/drifthold"
fi
exec scripts/demo.sh "$build"
