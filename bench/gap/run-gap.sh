#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Track change gap: plays two MP3s cut from one sweep through the built player
# with SDL's disk driver and measures the join (see bench/README.md).
# Usage: bench/gap/run-gap.sh BUILD_DIR [OUT_FILE]   (needs lame, xvfb-run, xdotool)
# Each output line: encoding, cut (samples after 4 s), then gapcheck's figures.
set -euo pipefail
BUILD=$(cd "$1" && pwd)
OUT=${2:-/dev/stdout}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
WORK=$(mktemp -d /tmp/corvale-gap.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

encode() {  # cut -> $WORK/apart-CUT (each half alone) and $WORK/nogap-CUT (lame --nogap)
  local cut=$1 src="$WORK/src-$1"
  mkdir -p "$src" "$WORK/apart-$cut" "$WORK/nogap-$cut"
  "$BUILD/bench/gapcheck" make "$src" "$cut"
  lame --quiet -b 192 "$src/a.wav" "$WORK/apart-$cut/a.mp3"
  lame --quiet -b 192 "$src/b.wav" "$WORK/apart-$cut/b.mp3"
  cp "$src/a.wav" "$src/b.wav" "$WORK/nogap-$cut/"
  (cd "$WORK/nogap-$cut" && lame --quiet -b 192 --nogap a.wav b.wav 2>/dev/null && rm a.wav b.wav)
}

play() {  # folder with a.mp3 and b.mp3, cut -> prints the analysis
  local dir=$1 cut=$2 prog="$WORK/prog"
  rm -rf "$prog" "$dir/out.raw"; mkdir -p "$prog"
  cp -r "$BUILD/bin/corvale" "$BUILD/bin/libvbmp3.so" "$BUILD/bin/color" "$prog/"
  printf 'a.mp3\r\nb.mp3\r\n' >"$dir/join.m3u"
  QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/out.raw" \
    timeout 60 "$prog/corvale" "$dir/join.m3u" >/dev/null 2>&1 &
  local pid=$! wid
  wid=$(timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1)
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool key p
  # 8 s of sweep (44.1 kHz float stereo); the device goes idle after the
  # last track, and the file stops growing.
  local i=0 size=0 last=-1 still=0
  while [ $i -lt 300 ]; do
    sleep 0.1; i=$((i + 1))
    size=$(stat -c %s "$dir/out.raw" 2>/dev/null || echo 0)
    if [ "$size" -eq "$last" ]; then still=$((still + 1)); else still=0; last=$size; fi
    [ "$size" -ge $((8 * 44100 * 8)) ] && [ $still -ge 5 ] && break
  done
  xdotool key q
  wait "$pid" || true
  "$BUILD/bench/gapcheck" analyse "$dir/out.raw" "$cut"
}

# 777: the first half ends 103 frames before the end of a 640-frame device
# period; 241: one frame into a period (the longest pad with the default
# OutputFrame 20).
for cut in 777 241; do encode "$cut"; done
{
  for cut in 777 241; do
    for round in 1 2; do echo "apart $cut $(play "$WORK/apart-$cut" "$cut")"; done
  done
  echo "nogap 777 $(play "$WORK/nogap-777" 777)"
} >"$OUT"
