#!/bin/sh
# Runs under xvfb-run: starts the player on a file, presses P, waits until a
# second of sound has reached the disk output, takes a screenshot, prints the
# caption, Q.
# Arguments: program folder, audio file, disk output file, screenshot file, grab tool.
. "$(dirname "$0")/session.sh"
prog="$1"; audio="$2"; out="$3"; shot="$4"; grab="$5"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" timeout 60 "$prog/corvale" "$audio" &
pid=$!
wid=$(wait_window)
if [ -z "$wid" ]; then echo "no window"; kill "$pid"; exit 1; fi
press "$wid" p
wait_until 20 file_at_least "$out" 384000 || echo "no sound"   # one second of 48 kHz float stereo
"$grab" "$shot"
echo "title=$(xdotool getwindowname "$wid")"
quit "$wid" "$pid"
