#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Corvale needs to build, run and test.
# As root it runs apt-get; otherwise it prints the exact command and stops.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config clang-format
  qt6-base-dev libmpg123-dev libsndfile1-dev libsamplerate0-dev libfftw3-dev libsdl2-dev libpulse-dev
  libgtest-dev fonts-ipafont-gothic
  lame twolame mpg123 xvfb xauth xdotool dbus playerctl desktop-file-utils imagemagick
  dpkg-dev file appstream man-db
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Corvale needs these Debian packages. Install them as root with:" >&2
  echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}" >/dev/null
