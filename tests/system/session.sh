# SPDX-License-Identifier: GPL-3.0-or-later
# Helpers for the scenario scripts that run under xvfb-run (sourced).

# The player on the X server of xvfb-run, whatever the test environment says.
export QT_QPA_PLATFORM=xcb

# The id of the first visible Corvale window, once it is there.
wait_window() { timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1; }

# wait_until SECONDS COMMAND...: runs COMMAND every tenth of a second until it
# succeeds; fails when it has not within SECONDS.
wait_until() {
  limit=$(($1 * 10)); shift; n=0
  until "$@"; do
    n=$((n + 1)); [ "$n" -ge "$limit" ] && return 1
    sleep 0.1
  done
}

title_is_not() { [ "$(xdotool getwindowname "$1")" != "$2" ]; }
file_at_least() { [ "$(stat -c %s "$1" 2>/dev/null || echo 0)" -ge "$2" ]; }
# log_lines_at_least LOG TEXT N: LOG holds N lines that contain TEXT.
log_lines_at_least() { n=$(grep -c -- "$2" "$1" 2>/dev/null); [ "${n:-0}" -ge "$3" ]; }

# press WINDOW KEY
press() { xdotool windowfocus --sync "$1" 2>/dev/null; xdotool key "$2"; }

# quit WINDOW PID: Q, then the player's exit status as "exit N".
quit() { press "$1" q; wait "$2"; echo "exit $?"; }
