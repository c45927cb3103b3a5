#!/usr/bin/env bash
# Installs every Debian package the project needs to build, run and test.
# Safe to run again: apt-get skips what is already installed. With --windows,
# also what the Windows build and its tests under Wine need.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config clang
  libsdl2-dev libsdl2-ttf-dev libfontconfig-dev libx11-dev fonts-liberation2
  espeak-ng sox
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool socat libhamlib-utils python3-hamlib
  dpkg-dev file groff-base man-db desktop-file-utils
  lintian devscripts
)
if [ "${1:-}" = "--windows" ]; then
  packages+=(g++-mingw-w64-x86-64-posix googletest wine wine64 nsis)
fi
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update
$SUDO apt-get install -y --no-install-recommends "${packages[@]}"
