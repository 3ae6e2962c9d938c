#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs under xvfb-run: the installed command with the demo playlist, until
# the first song has opened; its caption and size; Q.
# Arguments: install prefix.
. "$(dirname "$0")/session.sh"
prefix="$1"

SDL_AUDIODRIVER=dummy timeout 60 "$prefix/bin/corvale" "$prefix/lib/corvale/demo/demo.m3u" &
pid=$!
wid=$(wait_window)
if [ -z "$wid" ]; then echo "no window"; kill "$pid"; exit 1; fi
wait_until 20 title_is_not "$wid" "Corvale" || echo "nothing loaded"
echo "title=$(xdotool getwindowname "$wid")"
xdotool getwindowgeometry "$wid" | sed -n 's/.*Geometry: /size=/p'
quit "$wid" "$pid"
