#!/bin/sh
# Runs under xvfb-run: the demo playlist, P, a picture of the window just
# after the start and one after five and a half seconds of sound (the first lyric line
# is due at four), the caption, Q.
# Arguments: program folder, disk output file, first picture, second picture, grab tool.
. "$(dirname "$0")/session.sh"
prog="$1"; out="$2"; before="$3"; after="$4"; grab="$5"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" timeout 60 "$prog/corvale" "$prog/demo/demo.m3u" &
pid=$!
wid=$(wait_window)
if [ -z "$wid" ]; then echo "no window"; kill "$pid"; exit 1; fi
press "$wid" p
wait_until 20 file_at_least "$out" 38400 || echo "no sound"
"$grab" "$before" "$wid"
wait_until 30 file_at_least "$out" 2112000 || echo "sound stopped"   # 5.5 s at 48 kHz, float stereo
"$grab" "$after" "$wid"
echo "title=$(xdotool getwindowname "$wid")"
quit "$wid" "$pid"
