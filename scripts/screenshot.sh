#!/usr/bin/env bash
# Runs the main window on a virtual X display and writes docs/screenshot.png.
# Usage: scripts/screenshot.sh BUILD_DIR
set -euo pipefail

if [ $# -ne 1 ]; then
    echo "usage: $0 BUILD_DIR" >&2
    exit 2
fi
build=$(cd "$1" && pwd)
app="$build/src/brevolan4"
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/docs/screenshot.png"

[ -x "$app" ] || { echo "$app not found: build the brevolan4 target first" >&2; exit 1; }
for tool in xvfb-run import convert; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

# The run gets its own settings folder, so the picture shows the defaults
# and the user's stored device and mode stay untouched.
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$root/docs"

export HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export APP="$app" SHOT="$scratch/root.png"

# No window manager runs on the virtual display: the picture shows the
# client area and the menu bar without a title bar.
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
    "$APP" & pid=$!
    sleep 3
    import -window root "$SHOT"
    kill "$pid"
    wait "$pid" 2>/dev/null || true
'
convert "$scratch/root.png" -trim +repage "$out"
echo "wrote $out"
