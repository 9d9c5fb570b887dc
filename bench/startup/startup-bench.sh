#!/usr/bin/env bash
# Start-up of brevolan4 beside a peer Qt serial-port tool (cutecom), both
# started the same way on one virtual X display (Xvfb, no window manager):
#   mapped      time from launch until the top-level window is viewable
#               (xwininfo polled every 5 ms; both programs)
#   first frame time from launch until Qt flushed the first painted frame
#               to the window (Qt's own "qt.widgets.painting" log, read as it
#               arrives on standard error; programs whose Qt has no such log
#               show "-")
#   peak RSS    VmHWM of the process 1.5 s after its window came up
# Each program runs RUNS times, alternating; the first start of each is
# shown apart (files maybe not yet in the page cache), then the median and
# the best of the rest. With --cold (root only) the page cache is dropped
# before every start, so every start reads the programs and Qt from disk.
#
# Usage: bench/startup/startup-bench.sh BUILD_DIR [RUNS] [--cold]
# Installs cutecom (and x11-utils, xvfb) when missing; nothing else.
set -euo pipefail

build=""
runs=10
cold=0
for arg in "$@"; do
    case "$arg" in
        --cold) cold=1 ;;
        [0-9]*) runs=$arg ;;
        *) build=$arg ;;
    esac
done
[ -n "$build" ] || { echo "usage: $0 BUILD_DIR [RUNS] [--cold]" >&2; exit 2; }
brevolan=$(realpath "$build/src/brevolan4")
[ -x "$brevolan" ] || { echo "$brevolan not found: build the brevolan4 target first" >&2; exit 1; }
if [ "$cold" -eq 1 ] && [ "$(id -u)" -ne 0 ]; then
    echo "--cold drops the page cache and needs root" >&2
    exit 1
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
missing=()
for pkg in cutecom xvfb xauth x11-utils; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A private home for both: no stored settings, no first-run leftovers of
# earlier runs beyond what the first start of each program writes itself.
export HOME="$scratch/home" XDG_CONFIG_HOME="$scratch/home/.config" XDG_RUNTIME_DIR="$scratch/run"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
export BREVOLAN="$brevolan" RUNS="$runs" COLD="$cold" SCRATCH="$scratch"

xvfb-run -a -s "-screen 0 1024x768x24" bash "$(dirname "$0")/measure-runs.sh"
