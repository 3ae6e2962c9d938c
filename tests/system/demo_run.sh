#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs under xvfb-run: a player without files; a second start from the demo
# folder hands it its list by a relative path; P; a picture of the window
# as the sound starts and one after five and a half seconds of it (the first
# lyric line is due at four); a third start with a file while it plays (refused,
# as a drop is) and a fourth with nothing; the caption; stopped, a fifth start
# with a list whose entries are all missing (nothing changes: next still goes
# on); the next song, a CD-quality WAV, played for a picture of its bit rate;
# one list per compressed format, a damaged file then a tagged tone, handed over
# and played (the damaged file is passed over); then the settings dialog is
# opened and the player is sent SIGTERM.
# Arguments: program folder, disk output file, first picture, second picture,
# grab tool, WAV picture, the compressed formats' lists (one word).
. "$(dirname "$0")/session.sh"
prog="$1"; out="$2"; before="$3"; after="$4"; grab="$5"; wav="$6"; lists="$7"; log="$prog/debuglog.txt"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" timeout 60 "$prog/corvale" &
pid=$!
wid=$(wait_window)
if [ -z "$wid" ]; then echo "no window"; kill "$pid"; exit 1; fi
(cd "$prog/demo" && timeout 20 "$prog/corvale" demo.m3u); echo "second exit $?"
wait_until 20 title_is_not "$wid" "Corvale" || echo "nothing loaded"
press "$wid" p
wait_until 20 file_at_least "$out" 38400 || echo "no sound"
"$grab" "$before" "$wid"
(cd "$prog/demo" && timeout 20 "$prog/corvale" ./02-wind.wav); echo "third exit $?"
wait_until 20 log_lines_at_least "$log" "Form_OLEDragDrop" 2 || echo "third not received"
timeout 20 "$prog/corvale"; echo "fourth exit $?"
wait_until 30 file_at_least "$out" 2112000 || echo "sound stopped"   # 5.5 s at 48 kHz, float stereo
"$grab" "$after" "$wid"
echo "title=$(xdotool getwindowname "$wid")"
press "$wid" s
printf 'gone.mp3\r\n/nowhere/else.mp3\r\n' > "$prog/gone.m3u"
timeout 20 "$prog/corvale" "$prog/gone.m3u"; echo "fifth exit $?"
wait_until 20 log_lines_at_least "$log" "Failed  - bytPlayListNewOpen" 1 || echo "fifth not received"
title=$(xdotool getwindowname "$wid")
echo "title=$title"
press "$wid" f
wait_until 20 title_is_not "$wid" "$title" || echo "next did nothing"
echo "next=$(xdotool getwindowname "$wid")"
cp "$out" "$out.demo"   # a track of another rate reopens the device, which starts the file anew
press "$wid" p
wait_until 20 log_lines_at_least "$log" "Called  - bytPlayStart" 2 || echo "wav not started"
sleep 0.5
"$grab" "$wav" "$wid"
press "$wid" s
loads=2
for list in $lists; do
  loads=$((loads + 1))
  timeout 20 "$prog/corvale" "$list"
  wait_until 20 log_lines_at_least "$log" "Called  - bytPlayListNewOpen" "$loads" || echo "$list not received"
  title=$(xdotool getwindowname "$wid")
  press "$wid" p
  wait_until 20 title_is_not "$wid" "$title" || echo "$list: title unchanged"
  echo "format=$(xdotool getwindowname "$wid")"
  press "$wid" s
done

# The settings dialog from the pop-up menu (third item from the bottom, above
# Debugger and the About item), then SIGTERM.
xdotool mousemove --window "$wid" 100 50 click 3
sleep 0.5
xdotool key Up Up Up Return
dialog=$(timeout 20 xdotool search --sync --onlyvisible --name '^設定$' | head -n 1)
[ -n "$dialog" ] && echo "dialog open"
start=$(date +%s%N)
kill -TERM "$pid"
wait "$pid"; echo "exit $?"
echo "quit_ms=$(( ($(date +%s%N) - start) / 1000000 ))"
