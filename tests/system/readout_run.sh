#!/bin/sh
# Runs under xvfb-run: the demo's CD-quality WAV (1411 kbit/s) played and the
# window pictured; then a FIFO named like a track given on the command line,
# and SIGTERM.
# Arguments: program folder, disk output file, picture, FIFO, grab tool.
. "$(dirname "$0")/session.sh"
prog="$1"; out="$2"; picture="$3"; fifo="$4"; grab="$5"

SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" timeout 60 "$prog/corvale" "$prog/demo/02-wind.wav" &
pid=$!
wid=$(wait_window)
if [ -z "$wid" ]; then echo "no window"; kill "$pid"; exit 1; fi
press "$wid" p
wait_until 20 file_at_least "$out" 384000 || echo "no sound"
sleep 0.3
"$grab" "$picture" "$wid"
quit "$wid" "$pid"

SDL_AUDIODRIVER=dummy timeout 60 "$prog/corvale" "$fifo" &
pid=$!
wid=$(wait_window)
[ -n "$wid" ] && echo "fifo window shown"
kill -TERM "$pid"
wait "$pid"
echo "fifo exit $?"
