# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by soak.sh and kill-shutdown.sh. soak_setup NAME DEFAULT_COUNT ARGS...
# takes BUILD_DIR [COUNT] [OUT_DIR] from ARGS, runs the calling script again
# under xvfb-run when no display is set, and makes WORK (removed at exit) with
# PROG, a copy of the program folder. The exit trap kills the player in PID.
soak_setup() {
  local name=$1 default_count=$2
  shift 2
  BUILD=$(cd "$1" && pwd)
  COUNT=${2:-$default_count}
  OUT=$(mkdir -p "${3:-$PWD/soak-out}" && cd "${3:-$PWD/soak-out}" && pwd)
  if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$BUILD" "$COUNT" "$OUT"
  fi
  WORK=$(mktemp -d "/tmp/corvale-$name.XXXXXX")
  PID=
  trap '[ -n "$PID" ] && kill -KILL "$PID" 2>/dev/null; rm -rf "$WORK"' EXIT
  PROG="$WORK/prog"
  mkdir -p "$PROG"
  cp -r "$BUILD/bin/corvale" "$BUILD/bin/libvbmp3.so" "$BUILD/bin/color" "$PROG/"
}
