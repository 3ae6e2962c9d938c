#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Settings under fire: starts the built player, moves its window (so the
# settings written at exit differ from the file on disk), asks it to end
# (SIGTERM, which closes the window the normal way: the engine released, then
# the settings written) while it plays, and kills it with SIGKILL at a random
# moment of its shutdown (microsecond steps over 1.2 times the longest clean
# shutdown timed first).
# After every run corvale.ini must be either the file from before the run,
# byte for byte, or the complete new file (the 26 lines of a written settings
# file, CR LF, the new window position).
#
# Usage: soak/kill-shutdown.sh BUILD_DIR [RUNS (200)] [OUT_DIR]
# Needs xvfb-run, xdotool, lame and perl.
set -euo pipefail
source "$(dirname "$0")/common.sh"
soak_setup kill 200 "$@"
RUNS=$COUNT
INI="$PROG/corvale.ini"
head -c $((44100 * 4 * 5)) /dev/urandom |
  lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s -b 192 - "$WORK/play.mp3" 2>/dev/null
LOG="$OUT/kill-runs.tsv"
printf 'run\tdelay_us\tresult\tleftovers\n' >"$LOG"

start() {  # -> PID, WID
  QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null "$PROG/corvale" "$WORK/play.mp3" >/dev/null 2>&1 &
  PID=$!
  WID=$(timeout 20 xdotool search --sync --onlyvisible --pid "$PID" --class corvale | head -n 1)
}

# A complete file, as the program writes it at exit.
complete() {
  [ "$(awk 'END { print NR }' "$1")" -eq 26 ] &&
    [ "$(grep -c $'^[A-Za-z]*=[^\r]*\r$' "$1")" -eq 26 ] &&
    [ "$(head -n 1 "$1")" = $'ColorSet=0\r' ] && [ "$(tail -n 1 "$1" | cut -d= -f1)" = CEditor ]
}

play() {  # starts the track and lets it play a moment
  xdotool windowfocus --sync "$WID" 2>/dev/null || true
  xdotool key p
  sleep 0.3
}

# Three clean exits while playing: they write the file the runs start from and
# time the shutdown (SIGTERM to exit); kills land within 1.2 times the longest.
span=0
for _ in 1 2 3; do
  start
  [ -n "$WID" ] || { echo "no window"; exit 1; }
  play
  t0=$(date +%s%N); kill -TERM "$PID"; wait "$PID" || true; PID=
  t=$(( ($(date +%s%N) - t0) / 1000 ))
  [ "$t" -gt "$span" ] && span=$t
done
complete "$INI" || { echo "a clean exit did not write a complete corvale.ini"; exit 1; }
span=$((span * 12 / 10))
echo "longest clean shutdown $((span * 10 / 12)) us: kills within 0-$span us"

old=0 new=0 bad=0 nostart=0
# The shell reports every killed player ("Killed"): keep that out of the way.
exec 3>&2 2>"$OUT/kill-stderr.txt"
for run in $(seq "$RUNS"); do
  cp "$INI" "$WORK/before.ini"
  start
  if [ -z "$WID" ]; then
    nostart=$((nostart + 1)); kill -KILL "$PID" 2>/dev/null || true; wait "$PID" 2>/dev/null || true; PID=
    printf '%s\t-\tno window\t-\n' "$run" >>"$LOG"; continue
  fi
  x=$((20 + (run * 7) % 300)); y=$((30 + (run * 13) % 200))
  xdotool windowmove --sync "$WID" "$x" "$y" 2>/dev/null || xdotool windowmove "$WID" "$x" "$y"
  play
  delay=$(( (RANDOM * 32768 + RANDOM) % (span + 1) ))   # microseconds
  perl -MTime::HiRes=usleep -e 'kill "TERM", $ARGV[0]; usleep($ARGV[1]); kill "KILL", $ARGV[0]' "$PID" "$delay"
  { wait "$PID"; } 2>/dev/null || true
  PID=
  leftovers=$(find "$PROG" -maxdepth 1 -name 'corvale.ini?*' | wc -l)
  if cmp -s "$INI" "$WORK/before.ini"; then
    result=old; old=$((old + 1))
  elif complete "$INI" && grep -q $'^PositionX='"$((x * 15))"$'\r$' "$INI"; then
    result=new; new=$((new + 1))
  else
    result=BROKEN; bad=$((bad + 1)); cp "$INI" "$OUT/kill-broken-$run.ini"
  fi
  printf '%s\t%s\t%s\t%s\n' "$run" "$delay" "$result" "$leftovers" >>"$LOG"
done
exec 2>&3 3>&-
litter=$(find "$PROG" -maxdepth 1 -name 'corvale.ini?*' | wc -l)
echo "runs $RUNS: old file $old, new file $new, broken $bad, no window $nostart; stray temporary files left $litter" |
  tee "$OUT/kill-result.txt"
[ "$bad" -eq 0 ] && [ "$nostart" -eq 0 ]
