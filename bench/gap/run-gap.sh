#!/usr/bin/env bash
# Track change gap: plays two MP3s cut from one sweep through the built player
# with SDL's disk driver and measures the join (see bench/README.md).
# Usage: bench/gap/run-gap.sh BUILD_DIR [OUT_FILE]   (needs lame, xvfb-run, xdotool)
set -euo pipefail
BUILD=$(cd "$1" && pwd)
OUT=${2:-/dev/stdout}
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
WORK=$(mktemp -d /tmp/corvale-gap.XXXXXX)
trap 'rm -rf "$WORK"' EXIT

"$BUILD/bench/gapcheck" make "$WORK"
mkdir -p "$WORK/apart" "$WORK/nogap"
lame --quiet -b 192 "$WORK/a.wav" "$WORK/apart/a.mp3"
lame --quiet -b 192 "$WORK/b.wav" "$WORK/apart/b.mp3"
cp "$WORK/a.wav" "$WORK/b.wav" "$WORK/nogap/"
(cd "$WORK/nogap" && lame --quiet -b 192 --nogap a.wav b.wav && rm a.wav b.wav)

play() {  # folder with a.mp3 and b.mp3 -> prints the analysis
  local dir=$1 prog="$WORK/prog"
  rm -rf "$prog"; mkdir -p "$prog"
  cp -r "$BUILD/bin/corvale" "$BUILD/bin/libvbmp3.so" "$BUILD/bin/color" "$prog/"
  printf 'a.mp3\r\nb.mp3\r\n' >"$dir/join.m3u"
  QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$dir/out.raw" \
    timeout 60 "$prog/corvale" "$dir/join.m3u" >/dev/null 2>&1 &
  local pid=$! wid
  wid=$(timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1)
  xdotool windowfocus --sync "$wid" 2>/dev/null || true
  xdotool key p
  # 8 s of sweep and a second to spare, 44.1 kHz float stereo.
  local i=0
  while [ "$(stat -c %s "$dir/out.raw" 2>/dev/null || echo 0)" -lt $((10 * 44100 * 8)) ] && [ $i -lt 300 ]; do
    sleep 0.1; i=$((i + 1))
  done
  xdotool key q
  wait "$pid" || true
  "$BUILD/bench/gapcheck" analyse "$dir/out.raw"
}

{
  for round in 1 2 3; do echo "apart $(play "$WORK/apart")"; done
  echo "nogap $(play "$WORK/nogap")"
} >"$OUT"
