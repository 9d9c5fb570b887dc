#!/bin/sh
# Renders docs/device-dialog.png: the device selection dialog with two
# simulated encoders and a foreign FTDI device, drawn off-screen.
# Usage: scripts/make-device-dialog-screenshot.sh [build-dir]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-"$root/build"}
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" --target device_dialog_screenshot
QT_QPA_PLATFORM=offscreen "$build/tests/devices/device_dialog_screenshot" "$root/docs/device-dialog.png"
echo "wrote $root/docs/device-dialog.png"
