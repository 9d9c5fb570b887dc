#!/usr/bin/env bash
# make demo: Brevolan 4 on a simulated USB bus (two encoders, one foreign
# FTDI device), with preferences of its own in $XDG_STATE_HOME/brevolan4-demo
# (~/.local/state/brevolan4-demo), so the real program's settings stay as
# they are. Delete that folder to start the demo afresh.
#
# Usage: scripts/demo.sh BUILD_DIR           open the demo window
#        scripts/demo.sh BUILD_DIR --check   start it once on a virtual X
#                                            display (Xvfb), see that its
#                                            window comes up, and close it
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || { [ $# -eq 2 ] && [ "$2" != "--check" ]; }; then
    echo "usage: $0 BUILD_DIR [--check]" >&2
    exit 2
fi
app="$1/demo/brevolan4-demo"
[ -x "$app" ] || { echo "$app not found: build the brevolan4-demo target first" >&2; exit 1; }

if [ $# -eq 2 ]; then
    for tool in xvfb-run xwininfo; do
        command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
    done
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
    # Its own state folder: a check leaves the demo's real one alone.
    export XDG_STATE_HOME="$scratch/state" XDG_RUNTIME_DIR="$scratch/run"
    mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
    export APP="$app"
    exec xvfb-run -a -s "-screen 0 800x600x24" bash -c '
        "$APP" & pid=$!
        for _ in $(seq 1 100); do
            if xwininfo -root -tree 2>/dev/null | grep -q "\"RDS/RBDS Encoder - Brevolan 4\""; then
                kill "$pid"; wait "$pid" 2>/dev/null || true
                echo "The demo window came up on a virtual display."
                exit 0
            fi
            kill -0 "$pid" 2>/dev/null || { echo "The demo ended before its window came up." >&2; exit 1; }
            sleep 0.2
        done
        kill "$pid"; wait "$pid" 2>/dev/null || true
        echo "The demo window did not come up within 20 s." >&2
        exit 1
    '
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: DISPLAY and WAYLAND_DISPLAY are unset, so the demo window cannot be shown." >&2
    echo "Run 'make demo' in a desktop session (or over ssh -X), or 'make demo-check' to start it" >&2
    echo "once on a virtual display and see that it comes up." >&2
    exit 1
fi
exec "$app"
