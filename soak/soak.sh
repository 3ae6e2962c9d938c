#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Soak: the built player with the real engine and a silent output plays a
# playlist of ten generated tracks on repeat-all at pitch x3.0 while random
# play, pause, next, previous and stop keys arrive every 100-600 ms. Afterwards
# it must still answer (Q ends it within 15 s, exit status 0), its RSS may
# have grown by less than 2 MB after the first minute, and corvale.ini must
# be a complete settings file that kept the play mode.
#
# Usage: soak/soak.sh BUILD_DIR [MINUTES (15)] [OUT_DIR]
# Needs xvfb-run, xdotool, lame, ImageMagick's import (for the evidence shot).
# Pitch has no key: the script opens the pop-up menu with a right click and
# walks it with the keyboard (Down, Right, Up wraps to the last item "x3.0",
# Return), then checks that a track now lasts about a third of its length.
set -euo pipefail
source "$(dirname "$0")/common.sh"
soak_setup soak 15 "$@"
MINUTES=$COUNT
fail() { echo "SOAK FAILED: $*" | tee -a "$OUT/soak-result.txt"; exit 1; }
: >"$OUT/soak-result.txt"
note() { echo "$*" | tee -a "$OUT/soak-result.txt"; }

# Ten tracks of 12 s (noise, so every analyser band moves): CBR at three
# rates, VBR, and two at 22.05 kHz mono (rate conversion on every track).
TRACK_SECONDS=12
for i in $(seq -w 1 10); do
  case $i in
    01|05) opts=(-b 128) ;; 02|06) opts=(-b 192) ;; 03|07) opts=(-b 320) ;; 04|08) opts=(-V 2) ;;
    *) opts=(-b 64) ;;
  esac
  if [ "$i" -ge 9 ]; then
    head -c $((22050 * 2 * TRACK_SECONDS)) /dev/urandom |
      lame --quiet -r -s 22.05 --bitwidth 16 --signed --little-endian -m m "${opts[@]}" --tt "Soak $i" - "$WORK/t$i.mp3" 2>/dev/null
  else
    head -c $((44100 * 4 * TRACK_SECONDS)) /dev/urandom |
      lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m s "${opts[@]}" --tt "Soak $i" - "$WORK/t$i.mp3" 2>/dev/null
  fi
  printf 't%s.mp3\r\n' "$i" >>"$WORK/soak.m3u"
done

# The silent output: SDL's disk driver into /dev/null keeps real time; its dummy
# driver (SOAK_AUDIO=dummy) runs at 0.625 of real time with this 640-frame
# device buffer, so a track at x3.0 would last as long as at x1.9.
AUDIO=${SOAK_AUDIO:-disk}
printf 'PlayMode=1\r\n' >"$PROG/corvale.ini"   # repeat all

QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=$AUDIO SDL_DISKAUDIOFILE=/dev/null "$PROG/corvale" "$WORK/soak.m3u" >"$OUT/soak-stderr.txt" 2>&1 &
PID=$!
WID=$(timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1)
[ -n "$WID" ] || fail "no window"
xdotool windowactivate --sync "$WID" 2>/dev/null || xdotool windowfocus --sync "$WID"

# Pitch x3.0 through the pop-up menu; a second look at the submenu is kept as evidence.
xdotool mousemove --window "$WID" 150 60 click 3; sleep 0.5
xdotool key Down Right; sleep 0.3; xdotool key Up Return; sleep 0.5
xdotool mousemove --window "$WID" 150 60 click 3; sleep 0.5
xdotool key Down Right; sleep 0.3
import -window root "$OUT/soak-pitch-menu.png" 2>/dev/null || true
xdotool key Escape Escape; sleep 0.3

# Check the pitch: the caption carries the title, so time two track changes.
xdotool key p
changes=(); last=$(xdotool getwindowname "$WID"); t_end=$(( $(date +%s) + 3 * TRACK_SECONDS ))
while [ ${#changes[@]} -lt 2 ] && [ "$(date +%s)" -lt $t_end ]; do
  now=$(xdotool getwindowname "$WID")
  if [ "$now" != "$last" ]; then changes+=("$(date +%s%N)"); last=$now; fi
  sleep 0.05
done
[ ${#changes[@]} -ge 2 ] || fail "no two track changes within $((3 * TRACK_SECONDS)) s: pitch not set?"
track_ms=$(( (changes[1] - changes[0]) / 1000000 ))
note "pitch check: one ${TRACK_SECONDS} s track played in $track_ms ms"
[ "$track_ms" -lt $((TRACK_SECONDS * 1000 / 2)) ] || fail "a track took $track_ms ms: pitch is not x3.0"

sample() {  # seconds since start, RSS kB, threads, open files
  local s
  s=$(cat "/proc/$PID/status" 2>/dev/null) || return 1
  printf '%s\t%s\t%s\t%s\n' "$1" "$(awk '/^VmRSS:/ { print $2 }' <<<"$s")" \
    "$(awk '/^Threads:/ { print $2 }' <<<"$s")" "$(ls "/proc/$PID/fd" | wc -l)"
}

START=$(date +%s); END=$((START + MINUTES * 60)); NEXT_SAMPLE=$START
KEYS=(p p p f f r r i i s s)   # play, next, previous, pause, stop
sent=0
printf 'seconds\trss_kb\tthreads\tfds\n' >"$OUT/soak-samples.tsv"
while [ "$(date +%s)" -lt $END ]; do
  kill -0 "$PID" 2>/dev/null || fail "the player ended after $(( $(date +%s) - START )) s"
  if [ "$(date +%s)" -ge $NEXT_SAMPLE ]; then
    sample $(( $(date +%s) - START )) >>"$OUT/soak-samples.tsv"; NEXT_SAMPLE=$((NEXT_SAMPLE + 5))
  fi
  xdotool key "${KEYS[RANDOM % ${#KEYS[@]}]}"
  sent=$((sent + 1))
  sleep "0.$((100 + RANDOM % 500))"
done
sample $(( $(date +%s) - START )) >>"$OUT/soak-samples.tsv"
note "ran $MINUTES min, $sent keys sent"

# Still answering: Q ends it the normal way.
t0=$(date +%s%N)
xdotool key q
for _ in $(seq 150); do kill -0 "$PID" 2>/dev/null || break; sleep 0.1; done
kill -0 "$PID" 2>/dev/null && fail "Q did not end the player within 15 s"
wait "$PID" && rc=0 || rc=$?
PID=
note "Q to exit: $(( ($(date +%s%N) - t0) / 1000000 )) ms, exit status $rc"
[ "$rc" -eq 0 ] || fail "exit status $rc"

# Memory after the first minute.
read -r base max final threads0 threads1 fds0 fds1 < <(awk -F'\t' 'NR > 1 {
    if ($1 >= 60 && base == "") { base = $2; t0 = $3; f0 = $4 }
    if ($1 >= 60 && $2 > max) max = $2
    final = $2; t1 = $3; f1 = $4 }
  END { print base, max, final, t0, t1, f0, f1 }' "$OUT/soak-samples.tsv")
note "RSS at 1 min $base kB, highest after $max kB, at the end $final kB: grew $(( (final - base) )) kB (highest $(( max - base )) kB above)"
note "threads $threads0 -> $threads1, open files $fds0 -> $fds1"
[ $((final - base)) -lt 2048 ] || fail "RSS grew by $((final - base)) kB after the first minute"

# The settings file: complete, CR LF throughout, the play mode kept.
ini="$PROG/corvale.ini"
keys=$(grep -c $'^[A-Za-z]*=.*\r$' "$ini" || true)
lines=$(awk 'END { print NR }' "$ini")
note "corvale.ini: $lines lines, $keys well-formed, $(grep -c $'^PlayMode=1\r$' "$ini" || true) PlayMode=1 line"
[ "$keys" -eq 26 ] && [ "$lines" -eq 26 ] && grep -q $'^PlayMode=1\r$' "$ini" && grep -q $'^CEditor=' "$ini" ||
  fail "corvale.ini is not the complete file"
cp "$ini" "$OUT/soak-corvale.ini"
note "SOAK PASSED"
