#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's pictures of Corvale: the built player under Xvfb playing
# the demo playlist (analyser, readouts and a lyrics line), the compact layout
# and a bundled colour scheme. Each is the main window alone, as a PNG.
#   scripts/screenshots.sh [BUILD_DIR [OUT_DIR]]   (defaults: build, docs/screenshots)
# Needs xvfb-run, xdotool and ImageMagick's import (scripts/install-deps.sh).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "${1:-$ROOT/build}" && pwd)
OUT=$(mkdir -p "${2:-$ROOT/docs/screenshots}" && cd "${2:-$ROOT/docs/screenshots}" && pwd)
PROG="$BUILD/bin"
for f in corvale libvbmp3.so color demo/demo.m3u; do
  [ -e "$PROG/$f" ] || { echo "missing $PROG/$f: build first (./run test or cmake --build)" >&2; exit 1; }
done
for tool in xvfb-run xdotool import; do
  command -v "$tool" >/dev/null || { echo "missing $tool: run scripts/install-deps.sh" >&2; exit 1; }
done

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# shot NAME SETTINGS: a fresh copy of the program folder with these settings,
# the demo played for five and a half seconds (the first lyrics line comes at
# four), the window grabbed.
shot() {
  local name=$1 settings=$2 copy="$WORK/$1"
  mkdir -p "$copy"
  cp -r "$PROG/corvale" "$PROG/libvbmp3.so" "$PROG/color" "$PROG/demo" "$copy/"
  printf '%s' "$settings" > "$copy/corvale.ini"
  cat > "$WORK/$name.sh" <<SCRIPT
QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$copy/out.raw" "$copy/corvale" "$copy/demo/demo.m3u" &
pid=\$!
wid=\$(timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1)
[ -n "\$wid" ] || { kill \$pid; exit 1; }
xdotool windowfocus --sync "\$wid" 2>/dev/null; xdotool key p
i=0
while [ "\$(stat -c %s "$copy/out.raw" 2>/dev/null || echo 0)" -lt 2112000 ] && [ \$i -lt 200 ]; do
  sleep 0.1; i=\$((i + 1))
done
# Several frames a moment apart; the busiest (largest file) is kept.
for k in 1 2 3 4 5 6 7 8; do import -window "\$wid" "$WORK/$name-\$k.png"; sleep 0.15; done
cp "\$(ls -S "$WORK/$name"-*.png | head -n 1)" "$WORK/$name.png"
xdotool windowfocus --sync "\$wid" 2>/dev/null; xdotool key q
wait \$pid
SCRIPT
  xvfb-run -a -s '-screen 0 1024x768x24' sh "$WORK/$name.sh"
  # Small files: no metadata, 8 bits per channel.
  convert "$WORK/$name.png" -strip -depth 8 "PNG24:$OUT/$name.png"
  echo "$OUT/$name.png"
}

shot corvale-main $'PositionX=0\r\nPositionY=0\r\n'
shot corvale-compact $'PositionX=0\r\nPositionY=0\r\nSpeana=255\r\n'
shot corvale-blue $'PositionX=0\r\nPositionY=0\r\nColorSet=2\r\n'
