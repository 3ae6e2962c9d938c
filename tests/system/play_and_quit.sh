#!/bin/sh
# Runs under xvfb-run: starts the player on a file, presses P, waits until a
# second of sound has reached the disk output, takes a screenshot, presses Q
# and waits for the player to end.
# Arguments: program folder, audio file, disk output file, screenshot file, grab tool.
prog="$1"; audio="$2"; out="$3"; shot="$4"; grab="$5"
enough=384000   # one second of 48 kHz float stereo (less at 44.1 kHz)

QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$out" timeout 60 "$prog/corvale" "$audio" &
pid=$!
wid=$(timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1)
if [ -z "$wid" ]; then echo "no window"; kill "$pid"; exit 1; fi
xdotool windowfocus --sync "$wid" 2>/dev/null
xdotool key p
i=0
while [ "$(stat -c %s "$out" 2>/dev/null || echo 0)" -lt "$enough" ] && [ $i -lt 200 ]; do
  sleep 0.1; i=$((i + 1))
done
"$grab" "$shot"
xdotool key q
wait "$pid"
echo "exit $?"
