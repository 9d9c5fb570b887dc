#!/usr/bin/env bash
# Installs the Debian 12 packages Brevolan 4 needs to build, test and run,
# when any is missing (through sudo when not root).
set -euo pipefail
packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-serialport-dev libqt6serialport6 libgl-dev
  libftdi1-dev libudev-dev
  fonts-liberation
  xvfb xauth x11-apps x11-utils imagemagick
  dpkg-dev file
  umockdev libumockdev-dev
  clang
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
