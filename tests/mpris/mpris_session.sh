#!/bin/sh
# Runs inside dbus-run-session: starts the player on two files with the silent
# output, drives it with playerctl and prints what it reports, one fact a line.
# Arguments: program folder, first file, second file.
prog="$1"; first="$2"; second="$3"

QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy timeout 60 "$prog/corvale" "$first" "$second" &
pid=$!
i=0
until playerctl -l 2>/dev/null | grep -qx corvale; do
  i=$((i + 1))
  if [ $i -gt 150 ]; then echo "not on the bus"; kill "$pid"; exit 1; fi
  sleep 0.1
done

pc() { playerctl -p corvale "$@" 2>&1; }
echo "status $(pc status)"
# A listener that prints the status each time the player signals a change.
follow=$(mktemp)
playerctl -p corvale --follow status > "$follow" 2>&1 &
fpid=$!
i=0
until [ -s "$follow" ] || [ $i -gt 50 ]; do i=$((i + 1)); sleep 0.1; done
echo "track $(pc metadata --format '{{mpris:trackid}} {{xesam:trackNumber}} {{xesam:title}} {{mpris:length}} {{xesam:url}}')"
pc play
echo "status $(pc status)"
pc pause
echo "status $(pc status)"
pc next
echo "track $(pc metadata --format '{{xesam:trackNumber}} {{xesam:title}}')"
echo "status $(pc status)"
pc play-pause
echo "status $(pc status)"
# The second (last) track is one second long: its end stops the player,
# which the periodic snapshot notices and signals.
i=0
until [ "$(wc -l < "$follow")" -ge 5 ] || [ $i -gt 100 ]; do i=$((i + 1)); sleep 0.1; done
kill "$fpid"
echo "signalled $(tr '\n' ' ' < "$follow")"
rm -f "$follow"
pc shuffle on
echo "loop $(pc loop) shuffle $(pc shuffle)"
pc loop Track
echo "loop $(pc loop) shuffle $(pc shuffle)"
pc volume 0.3
echo "volume $(pc volume)"
pc volume 0.7
echo "volume $(pc volume)"
echo "identity $(dbus-send --session --print-reply=literal --dest=org.mpris.MediaPlayer2.corvale \
  /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
  string:org.mpris.MediaPlayer2 string:Identity 2>&1 | sed -n 's/.*variant *//p')"
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.corvale /org/mpris/MediaPlayer2 \
  org.mpris.MediaPlayer2.Quit >/dev/null 2>&1
wait "$pid"
echo "exit $?"
