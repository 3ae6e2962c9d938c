#!/bin/sh
# Runs under xvfb-run: a player without files, then later starts from the
# demo folder with a relative path (it loads), with another file while it
# plays (a drop then is refused), and with nothing; Q.
# Arguments: program folder.
. "$(dirname "$0")/session.sh"
prog="$1"; log="$prog/debuglog.txt"

SDL_AUDIODRIVER=dummy timeout 60 "$prog/corvale" &
pid=$!
wid=$(wait_window)
if [ -z "$wid" ]; then echo "no window"; kill "$pid"; exit 1; fi
(cd "$prog/demo" && timeout 20 "$prog/corvale" 01-dawn.mp3); echo "second exit $?"
wait_until 20 title_is_not "$wid" "Corvale" || echo "nothing loaded"
echo "title=$(xdotool getwindowname "$wid")"
press "$wid" p
wait_until 20 log_lines_at_least "$log" "bytPlayStart" 1
(cd "$prog/demo" && timeout 20 "$prog/corvale" ./02-wind.wav); echo "third exit $?"
wait_until 20 log_lines_at_least "$log" "Form_OLEDragDrop" 2 || echo "third not received"
timeout 20 "$prog/corvale"; echo "fourth exit $?"
echo "title=$(xdotool getwindowname "$wid")"
quit "$wid" "$pid"
