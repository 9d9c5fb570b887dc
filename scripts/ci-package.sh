#!/usr/bin/env bash
# CI after `make test`: build the Debian package, install it with apt so its
# dependencies resolve, and run the installed companion against the
# installed encoder simulator.
# Usage: scripts/ci-package.sh [BUILD_DIR]   (default: build, as the Makefile)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
step() { printf '\n== %s\n' "$*"; }
die() { echo "ci-package: $*" >&2; exit 1; }

step "package"
make --no-print-directory package BUILD="$build"
deb=$(ls -t "$build"/brevolan4_*.deb 2>/dev/null | head -n 1)
[ -n "$deb" ] || die "no brevolan4_*.deb in $build"
deb=$(realpath "$deb")
dpkg-deb --info "$deb"
contents=$(dpkg-deb --contents "$deb")
echo "$contents"
for path in ./usr/bin/brevolan4 ./usr/bin/brevolan4-cli ./usr/bin/brevolan4-encoder-sim \
            ./usr/share/applications/brevolan4.desktop \
            ./usr/share/icons/hicolor/64x64/apps/brevolan4.png \
            ./usr/share/metainfo/org.tarvenix.Brevolan4.metainfo.xml \
            ./usr/lib/udev/rules.d/60-brevolan4-ftdi.rules \
            ./usr/share/man/man1/brevolan4-cli.1 ./usr/share/man/man1/brevolan4-encoder-sim.1 \
            ./usr/share/doc/brevolan4/README.md; do
    grep -q " $path\$" <<<"$contents" || die "the package lacks $path"
done

step "install"
# Fresh package lists: the package's run-time dependencies (the Qt platform
# plugins among them) may not be installed by the build yet.
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "$deb"
dpkg-query -W -f='${Package} ${Version} ${Status}\n' brevolan4

step "installed brevolan4-cli --version"
version=$(/usr/bin/brevolan4-cli --version)
echo "$version"
[[ "$version" == "brevolan4-cli "* ]] || die "unexpected version line: $version"

step "installed brevolan4-cli read against the installed brevolan4-encoder-sim"
work=$(mktemp -d)
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then
        kill "$sim_pid" 2>/dev/null || true
        wait "$sim_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
mkfifo "$work/sim.out"
/usr/bin/brevolan4-encoder-sim --revision CI >"$work/sim.out" 2>"$work/sim.err" &
sim_pid=$!
# The first line on its standard output is the terminal's path.
exec 3<"$work/sim.out"
read -r -t 10 -u 3 pty || { cat "$work/sim.err" >&2; die "the simulator printed no terminal path"; }
[ -c "$pty" ] || die "the simulator's terminal $pty is no character device"
echo "simulator on $pty"
timeout 60 /usr/bin/brevolan4-cli read --device "1, $pty, 9600" -o "$work/read.bvx" \
    || die "brevolan4-cli read failed (status $?)"
cat "$work/read.bvx"
# The simulator's factory values; empty texts are left out of the file.
for line in PI=FFFF PS=BREVOLAN SPEED=2 AF9=0; do
    grep -q "^$line"$'\r'"\$" "$work/read.bvx" || die "the read file lacks $line"
done
exec 3<&-
echo
echo "ci-package: the package installs and its companion reads from its simulator"
