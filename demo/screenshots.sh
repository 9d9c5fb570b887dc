#!/usr/bin/env bash
# Draws the README's pictures through the demo, off-screen:
# docs/screenshot.png (main window after reading the simulated station
# encoder) and docs/about.png (About with the encoder's revision).
# docs/device-dialog.png comes from scripts/make-device-dialog-screenshot.sh.
# Usage: demo/screenshots.sh BUILD_DIR
set -euo pipefail
if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
root=$(cd "$(dirname "$0")/.." && pwd)
tool="$1/demo/brevolan4-demo-screenshots"
[ -x "$tool" ] || { echo "$tool not found: build the brevolan4-demo-screenshots target first" >&2; exit 1; }

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A private home: nothing the run does reaches the user's settings.
export HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
QT_QPA_PLATFORM=offscreen "$tool" "$root/docs/screenshot.png" "$root/docs/about.png"
echo "wrote $root/docs/screenshot.png and $root/docs/about.png"
