#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Inside dbus-run-session: the player on two files, driven by playerctl; one fact a line.
prog="$1"; first="$2"; second="$3"
QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy timeout 60 "$prog/corvale" "$first" "$second" &
pid=$!
waitfor() { i=0; until eval "$1" || [ $i -gt "$2" ]; do i=$((i + 1)); sleep 0.1; done; }
waitfor 'playerctl -l 2>/dev/null | grep -qx corvale' 150
pc() { playerctl -p corvale "$@" 2>&1; }
echo "status $(pc status)"
follow=$(mktemp)
playerctl -p corvale --follow status > "$follow" 2>&1 &
fpid=$!
waitfor '[ -s "$follow" ]' 50
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
# The second track is one second long: its end stops the player.
waitfor '[ "$(wc -l < "$follow")" -ge 5 ]' 100
kill "$fpid"
echo "signalled $(tr '\n' ' ' < "$follow")"
rm -f "$follow"
pc shuffle on
echo "loop $(pc loop) shuffle $(pc shuffle)"
pc loop Track
echo "loop $(pc loop) shuffle $(pc shuffle)"
pc volume 0.3
echo "volume $(pc volume)"
dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.corvale /org/mpris/MediaPlayer2 \
  org.mpris.MediaPlayer2.Quit >/dev/null 2>&1
wait "$pid"
echo "exit $?"
