#!/bin/sh
# Runs under xvfb-run: a player without files; a second start from the demo
# folder hands it the first song by a relative path; P; a picture of the window
# as the sound starts and one after five and a half seconds of it (the first
# lyric line is due at four); a third start with a file while it plays (refused,
# as a drop is) and a fourth with nothing; the caption; Q.
# Arguments: program folder, disk output file, first picture, second picture, grab tool.
. "$(dirname "$0")/session.sh"
prog="$1"; out="$2"; before="$3"; after="$4"; grab="$5"; log="$prog/debuglog.txt"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" timeout 60 "$prog/corvale" &
pid=$!
wid=$(wait_window)
if [ -z "$wid" ]; then echo "no window"; kill "$pid"; exit 1; fi
(cd "$prog/demo" && timeout 20 "$prog/corvale" 01-dawn.mp3); echo "second exit $?"
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
quit "$wid" "$pid"
