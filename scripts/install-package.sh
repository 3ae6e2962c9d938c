#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs Corvale for every user of this machine from its Debian package, as
# root: the package given, or one made by ./run package first.
#   scripts/install-package.sh [corvale_<version>_<arch>.deb]
#   scripts/install-package.sh remove
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "$(id -u)" -ne 0 ]; then
  echo "Installing for every user needs root: sudo $0 $*" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
if [ "${1:-}" = remove ]; then
  exec apt-get remove -y corvale
fi
deb="${1:-}"
if [ -z "$deb" ]; then
  ./run package >/dev/null
  deb=$(ls -t build-package/corvale_*.deb | head -n 1)
fi
# apt takes a local package by a path with a slash in it.
apt-get install -y "$(realpath "$deb")"
echo "Installed: $(command -v corvale) (program folder /usr/lib/corvale); remove with: $0 remove"
