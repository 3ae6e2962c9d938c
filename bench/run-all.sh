#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks in Release, runs them all and writes bench/report.md
# with a table per benchmark, the machine's description and, beside it,
# bench/report-cpu.png (CPU use over time in the playback comparison).
#
# Usage (as root for the playback comparison, which installs the other
# players and starts PulseAudio):
#   bench/run-all.sh [PART...]
# PARTS: engine display vbmp3 mainwindow gap compare (all by default).
# CORVALE_BENCH_BUILD sets the build folder (default build-bench),
# CORVALE_BENCH_RUNS the runs per player in the comparison (default 3).
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${CORVALE_BENCH_BUILD:-$ROOT/build-bench}
RUNS=${CORVALE_BENCH_RUNS:-3}
REPORT="$ROOT/bench/report.md"
PLOT="$ROOT/bench/report-cpu.png"
PARTS=${*:-engine display vbmp3 mainwindow gap compare}
wanted() { [[ " $PARTS " == *" $1 "* ]]; }

WORK=$(mktemp -d /tmp/corvale-bench.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
echo "building in $BUILD (Release)" >&2
cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=Release -DCORVALE_WERROR=ON -DCORVALE_TESTS=OFF >"$WORK/configure.log" 2>&1 ||
  { cat "$WORK/configure.log" >&2; exit 1; }
cmake --build "$BUILD" -j2 --target corvale vbmp3 engine_bench display_bench Vbmp3Bench mainwindow_bench \
  playmeter cpuplot gapcheck >"$WORK/build.log" 2>&1 || { tail -50 "$WORK/build.log" >&2; exit 1; }

# Bench output lines as table rows: "what: result", "what   result", or a
# caption (a line ending with a colon) as a row of its own.
table() {
  echo "| Measure | Result |"
  echo "|---|---|"
  perl -ne 'chomp; s/^\s+|\s+$//g; next if $_ eq "";
    s/\|/\\|/g;
    if (/^(.*):$/) { print "| **$1** | |\n" }
    elsif (/^(.*?):\s+(.+)$/) { print "| $1 | $2 |\n" }
    elsif (/^(.*?)\s{2,}(\S.*)$/) { print "| $1 | $2 |\n" }
    else { print "| $_ | |\n" }'
}
pkgver() { dpkg-query -W -f='${Version}' "$1" 2>/dev/null || echo "not installed"; }
load() { cut -d' ' -f1-3 /proc/loadavg; }

section() {  # title, description, part output file
  {
    echo
    echo "## $1"
    echo
    echo "$2"
    echo
    table <"$3"
  } >>"$WORK/sections.md"
}

# A private PulseAudio with a null sink (unless PULSE_SERVER names one):
# sets VB_SERVER, empty without pulseaudio. The null sink stalls new streams
# unless one is kept open: pacat keeps one.
VB_PULSE=; VB_KEEP=; VB_SERVER=
start_pulse() {
  VB_PULSE=
  if [ -z "${PULSE_SERVER:-}" ] && command -v pulseaudio >/dev/null; then
    mkdir -p -m 700 "$WORK/pulse"
    XDG_RUNTIME_DIR="$WORK/pulse" pulseaudio -D -n --exit-idle-time=-1 --disallow-exit --system=false \
      --load=module-native-protocol-unix --load="module-null-sink sink_name=nullsink rate=44100 channels=2" \
      --load=module-always-sink 2>/dev/null || true
    for _ in $(seq 50); do [ -S "$WORK/pulse/pulse/native" ] && break; sleep 0.1; done
    VB_PULSE=$(cat "$WORK/pulse/pulse/pid" 2>/dev/null || true)
  fi
  VB_SERVER=${PULSE_SERVER:-${VB_PULSE:+unix:$WORK/pulse/pulse/native}}
  VB_KEEP=
  if [ -n "$VB_SERVER" ]; then
    PULSE_SERVER=$VB_SERVER pacat --latency-msec=20 </dev/zero 2>/dev/null &
    VB_KEEP=$!
  fi
}
stop_pulse() {
  [ -n "$VB_KEEP" ] && kill "$VB_KEEP" 2>/dev/null
  [ -n "$VB_PULSE" ] && kill "$VB_PULSE" 2>/dev/null
  VB_KEEP=; VB_PULSE=
  sleep 0.5
}

: >"$WORK/sections.md"
LOAD_BEFORE=$(load)
if wanted engine; then
  echo "engine module: playlist load and shuffle" >&2
  "$BUILD/bench/engine_bench" >"$WORK/engine.txt" 2>"$WORK/engine.err" || true
  section "Engine module: playlist load and shuffle" \
    "A 9999-entry m3u of relative, backslash-separated lines loaded with \`bytPlayListNewOpen\` (median of 21), \`TrackRandomize\` of 9999 entries (median of 201)." \
    "$WORK/engine.txt"
fi
if wanted display; then
  echo "drawing module: tick and full repaint" >&2
  "$BUILD/bench/display_bench" >"$WORK/display.txt" 2>"$WORK/display.err" || true
  section "Drawing module: display cost" \
    "One tick's drawing with a changing spectrum, and a full repaint of the three grids, into a 634 x 115 image." \
    "$WORK/display.txt"
fi
if wanted vbmp3; then
  echo "engine library: decode floor, real-time CPU, latencies" >&2
  # A private PulseAudio with a null sink for the figures through the native
  # output and through SDL's PulseAudio driver (skipped without pulseaudio).
  start_pulse
  PULSE_SERVER=$VB_SERVER "$BUILD/bench/Vbmp3Bench" "$WORK" >"$WORK/vbmp3.txt" 2>"$WORK/vbmp3.err" || true
  stop_pulse
  section "Engine library: decode floor, real-time playback, latencies" \
    "The 3-minute 192 kbit/s MP3 through the whole chain on the render path against \`mpg123 -t\` (CPU seconds); 30 s of real-time playback through SDL's disk driver, then through a PulseAudio null sink with the native output and with SDL's PulseAudio driver (the output before), with the wake-ups per second (context switches) of each of the library's threads playing and paused; latencies of the transport calls on the audio handed to the device, through the disk driver and through PulseAudio." \
    "$WORK/vbmp3.txt"
fi
if wanted mainwindow; then
  echo "main window: tick, start-up, whole program" >&2
  xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD/bench/mainwindow_bench" >"$WORK/mainwindow.txt" 2>"$WORK/mainwindow.err" || true
  # The idle states once more through PulseAudio, the output a desktop uses.
  start_pulse
  if [ -n "$VB_SERVER" ]; then
    PULSE_SERVER=$VB_SERVER xvfb-run -a -s "-screen 0 1024x768x24" "$BUILD/bench/mainwindow_bench" idle \
      >>"$WORK/mainwindow.txt" 2>>"$WORK/mainwindow.err" || true
  fi
  stop_pulse
  section "Main window: tick cost, start-up, whole program beside mpg123 (disk driver)" \
    "\`Timer1_Timer\` with the analyser shown (median of 1400 ticks), and the main thread's mean CPU time per tick with its share of the repaints; process start to the first painted frame (14 runs); the built program for 30 s through SDL's disk driver beside \`mpg123 -s\` into a pipe; the whole program's CPU (all threads, schedstat) and wake-ups over 10 s in each state, through the disk driver and then through a private PulseAudio null sink." \
    "$WORK/mainwindow.txt"
fi
if wanted gap; then
  echo "track change gap" >&2
  if "$ROOT/bench/gap/run-gap.sh" "$BUILD" "$WORK/gap.txt" 2>"$WORK/gap.err"; then
    {
      echo
      echo "## Track change gap"
      echo
      echo "An 8 s sweep (300 Hz to 3 kHz) cut in two CUT samples past 4 s, each half encoded by itself with \`lame -b 192\` (\"apart\", two plays per cut) and the two encoded together with \`lame --nogap\` (\"nogap\", one play); the playlist of the two played through SDL's disk driver and lined up with the original. Shift: how far the second half was moved against the first (positive: time inserted). Goal: under 20 ms."
      echo
      echo "| Encoding | Cut | Shift ms | Lost at the end of the first ms | Lost at the start of the second ms | Silence at the join ms |"
      echo "|---|---|---|---|---|---|"
      perl -ne 'if (/^(\w+) (\d+) shift_ms=(\S+) dropped_end_ms=(\S+) dropped_start_ms=(\S+) silence_ms=(\S+)/) { print "| $1 | $2 | $3 | $4 | $5 | $6 |\n" } elsif (/^(\w+) (\d+) (.*)$/) { print "| $1 | $2 | $3 | | | |\n" }' "$WORK/gap.txt"
    } >>"$WORK/sections.md"
  else
    printf '\n## Track change gap\n\nThe run failed:\n\n```\n%s\n```\n' "$(tail -5 "$WORK/gap.err")" >>"$WORK/sections.md"
  fi
fi
COMPARE_LOAD=""
if wanted compare; then
  echo "playback side by side ($RUNS runs of 30 s per player, about $((RUNS * 10 * 36 / 60)) minutes)" >&2
  LOAD_C0=$(load)
  COMPARE_OUT="$BUILD/bench-results/compare"   # kept: the samples, to draw the plot again
  rm -rf "$COMPARE_OUT"; mkdir -p "$COMPARE_OUT"
  if [ ! -f "$WORK/vbmp3-bench-192k.mp3" ]; then "$BUILD/bench/Vbmp3Bench" "$WORK" decode >/dev/null 2>&1; fi
  if "$ROOT/bench/compare/run-compare.sh" "$BUILD" "$COMPARE_OUT" "$WORK/vbmp3-bench-192k.mp3" "$RUNS" \
      2>"$WORK/compare.err" >/dev/null; then
    cp "$COMPARE_OUT/compare-cpu.png" "$PLOT"
    COMPARE_LOAD="load average $LOAD_C0 before, $(load) after"
    {
      echo
      echo "## Playback side by side"
      echo
      echo "Each player plays the same 3-minute 192 kbit/s MP3 (made with \`lame -b 192\`) into a PulseAudio null sink, each run under an Xvfb of its own, $RUNS runs each, one player at a time, in turns. CPU: the run time of the live threads of the player's process tree (schedstat: exact, where utime + stime are counted in clock ticks and miss much of a thread that wakes often for a few microseconds), plus the utime + stime of the children it reaped, over the 30 s after its first sound reached the sink, median and range; the X server's CPU over the same 30 s beside it, and the sum of the two (the whole cost of playing). Corvale plays through its native PulseAudio output; corvale-analyser-sdl through SDL's PulseAudio driver, the output it had before. Peak RSS: VmHWM summed over the tree. First sound: from the play command (Corvale: the P key, pressed with xdotool 1 s after its window appeared; the others are started with the file and timed from their start) to the first non-silent sample in the sink's monitor (parec, 10 ms fragments). Ratios against mpg123 (\`mpg123 -o pulse\`) in the same run. Machine during the runs: $COMPARE_LOAD."
      echo
      cat "$COMPARE_OUT/compare.md"
      echo
      echo "![CPU use over time](report-cpu.png)"
      echo
      echo "Every run:"
      echo
      echo "| Player | Run | CPU s | X server CPU s | Peak RSS kB | First sound ms |"
      echo "|---|---|---|---|---|---|"
      awk -F'\t' '{ printf "| %s | %s | %s | %s | %s | %s |\n", $1, $2, $3, $7, $4, $5 }' "$COMPARE_OUT/compare-results.tsv"
    } >>"$WORK/sections.md"
  else
    printf '\n## Playback side by side\n\nThe run failed:\n\n```\n%s\n```\n' "$(tail -5 "$WORK/compare.err")" >>"$WORK/sections.md"
  fi
fi
LOAD_AFTER=$(load)

{
  echo "# Corvale benchmark report"
  echo
  echo "Written by \`bench/run-all.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC') from commit $(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null || echo unknown), Release build."
  echo
  echo "## Machine"
  echo
  echo "| Item | Value |"
  echo "|---|---|"
  echo "| CPU | $(lscpu | sed -n 's/^Model name:[[:space:]]*//p' | head -n 1) |"
  echo "| Cores | $(nproc) (shared with other work: load average $LOAD_BEFORE at the start, $LOAD_AFTER at the end) |"
  echo "| Memory | $(free -m | awk '/^Mem:/ { printf "%.1f GB", $2 / 1024 }') |"
  echo "| Kernel | $(uname -r) |"
  echo "| Debian | $(cat /etc/debian_version) |"
  echo "| Compiler | $(c++ --version | head -n 1) |"
  for p in qt6-base-dev libmpg123-0 libsdl2-2.0-0 libsamplerate0 libfftw3-single3 libsndfile1 lame mpg123 pulseaudio audacious qmmp mpv cmus vlc xvfb; do
    echo "| $p | $(pkgver "$p") |"
  done
  cat "$WORK/sections.md"
} >"$REPORT"
echo "wrote $REPORT" >&2
