#!/usr/bin/env bash
# Starts the main window from a build directory.
# Usage: scripts/demo.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
app="$1/src/brevolan4"
[ -x "$app" ] || { echo "$app not found: build the brevolan4 target first" >&2; exit 1; }

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: DISPLAY and WAYLAND_DISPLAY are unset, so the window cannot be shown." >&2
    echo "Run this from a desktop session, or use scripts/screenshot.sh $1 for a picture." >&2
    exit 1
fi
exec "$app"
