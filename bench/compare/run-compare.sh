#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Playback side by side: Corvale (analyser shown and hidden) and other players
# each play the same 3-minute 192 kbit/s MP3 into a PulseAudio null sink, each
# run under an Xvfb of its own. playmeter takes the CPU seconds of the player
# and of its X server over the 30 s after the first sound, the peak RSS and
# the time to the first sound; see bench/README.md.
#
# Usage (as root): bench/compare/run-compare.sh BUILD_DIR OUT_DIR MP3 [RUNS]
# Writes OUT_DIR/compare.md (the table), OUT_DIR/compare-cpu.png (the plot),
# OUT_DIR/compare-results.tsv and one CSV of samples per run.
# CORVALE_COMPARE_PLAYERS limits the players (space-separated names).
set -euo pipefail
BUILD=$(cd "$1" && pwd)
OUT=$(mkdir -p "$2" && cd "$2" && pwd)
MP3=$(readlink -f "$3")
RUNS=${4:-3}
SECONDS_PER_RUN=${CORVALE_COMPARE_SECONDS:-30}
ALL_PLAYERS="mpg123 corvale-analyser corvale-no-analyser corvale-analyser-sdl audacious-gtk-winamp audacious-qt-winamp qmmp mpv cmus vlc-spectrum"
PLAYERS=${CORVALE_COMPARE_PLAYERS:-$ALL_PLAYERS}

[ "$(id -u)" -eq 0 ] || { echo "run as root: it installs the peers and starts PulseAudio" >&2; exit 1; }

# The peers are installed here, for this benchmark only.
need=()
pkgs="pulseaudio pulseaudio-utils mpg123 tmux xdotool dbus xvfb"
for player in $PLAYERS; do
  case $player in
    audacious-*) pkgs+=" audacious" ;;
    qmmp|mpv|cmus) pkgs+=" $player" ;;
    vlc-spectrum) pkgs+=" vlc vlc-plugin-visualization" ;;
  esac
done
for p in $pkgs; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "installing ${need[*]}" >&2
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

WORK=$(mktemp -d /tmp/corvale-compare.XXXXXX)
chmod 755 "$WORK"
cp "$MP3" "$WORK/music.mp3"
chmod 644 "$WORK/music.mp3"
MUSIC="$WORK/music.mp3"
PULSE_PID=; KEEPALIVE_PID=; XPID=
cleanup() {
  [ -n "$XPID" ] && kill "$XPID" 2>/dev/null
  tmux -L corvale-bench kill-server 2>/dev/null || true
  [ -n "$KEEPALIVE_PID" ] && kill "$KEEPALIVE_PID" 2>/dev/null
  [ -n "$PULSE_PID" ] && kill "$PULSE_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# A private PulseAudio with a null sink. The null sink stalls a new stream's
# first second unless a low-latency stream stays connected: pacat keeps one.
export XDG_RUNTIME_DIR="$WORK/pulse-run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
pulseaudio -D -n --exit-idle-time=-1 --disallow-exit --system=false \
  --load="module-native-protocol-unix auth-anonymous=1" \
  --load="module-null-sink sink_name=nullsink rate=44100 channels=2" \
  --load=module-always-sink
for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/pulse/native" ] && break; sleep 0.1; done
PULSE_PID=$(cat "$XDG_RUNTIME_DIR/pulse/pid")
export PULSE_SERVER="unix:$XDG_RUNTIME_DIR/pulse/native"
chmod 711 "$XDG_RUNTIME_DIR" "$XDG_RUNTIME_DIR/pulse"
chmod 666 "$XDG_RUNTIME_DIR/pulse/native"
pactl set-default-sink nullsink
pacat --latency-msec=20 </dev/zero &
KEEPALIVE_PID=$!

# Each run gets an X server of its own, so that its CPU is the player's.
# -ac: VLC runs as another user (it refuses root) and must reach the display too.
start_x() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -ac -nolisten tcp -screen 0 1280x1024x24 >/dev/null 2>&1 &
  XPID=$!
  for _ in $(seq 100); do [ -S "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
  export DISPLAY=":$n"
}
stop_x() {
  kill "$XPID" 2>/dev/null; wait "$XPID" 2>/dev/null || true; XPID=
}

# Each player gets its own home and runtime folder.
home_for() {
  local h="$WORK/home-$1"
  if [ ! -d "$h" ]; then
    mkdir -p "$h/run"; chmod 700 "$h/run"
  fi
  echo "$h"
}
run_env() {  # home -> env arguments
  echo "HOME=$1 XDG_RUNTIME_DIR=$1/run XDG_CONFIG_HOME=$1/.config"
}

# Audacious: one silent start writes its plugin registry; then pick the
# Winamp-style interfaces and the PulseAudio output.
prepare_audacious() {
  local h=$1 mode=$2
  [ -f "$h/.config/audacious/plugin-registry" ] && return
  env $(run_env "$h") timeout 8 audacious "$mode" >/dev/null 2>&1 || true
  perl -0pi -e '
    my %want = ("gtkui.so" => 0, "qtui.so" => 0, "skins.so" => 1, "skins-qt.so" => 1,
                "pulse_audio.so" => 1, "alsa.so" => 0);
    my $cur = "";
    s{^(\w+ \S+/(\S+\.so)|enabled \d)$}{
      my $l = $1;
      if ($l =~ m{^\w+ \S+/(\S+\.so)$}) { $cur = $1; $l }
      elsif (exists $want{$cur}) { "enabled $want{$cur}" } else { $l }
    }gme;' "$h/.config/audacious/plugin-registry"
}

prepare_qmmp() {
  local h=$1
  mkdir -p "$h/.config/qmmp"
  printf '[Output]\ncurrent_plugin=pulseaudio\n\n[Ui]\ncurrent_plugin=skinned\n' >"$h/.config/qmmp/qmmprc"
}

prepare_corvale() {  # folder, Speana value, OutputFrame
  local dir=$1
  rm -rf "$dir"; mkdir -p "$dir"
  cp -r "$BUILD/bin/corvale" "$BUILD/bin/libvbmp3.so" "$BUILD/bin/color" "$dir/"
  printf 'Speana=%s\r\nInputFrame=%s\r\nOutputFrame=%s\r\n' "$2" "$(( $3 > 30 ? $3 : 30 ))" "$3" >"$dir/corvale.ini"
}

# Starts one player; writes its pid to $PIDF and the moment it was told to
# play to $MARKF. Each runs in a session of its own, so it can be ended whole.
launch() {
  local player=$1 h
  h=$(home_for "$player")
  case $player in
    mpg123)
      date +%s%N >"$MARKF"
      setsid env $(run_env "$h") mpg123 -q -o pulse "$MUSIC" >/dev/null 2>&1 &
      echo $! >"$PIDF" ;;
    mpv)
      date +%s%N >"$MARKF"
      setsid env $(run_env "$h") mpv --no-config --no-video --ao=pulse --no-terminal "$MUSIC" >/dev/null 2>&1 &
      echo $! >"$PIDF" ;;
    corvale-analyser|corvale-no-analyser|corvale-analyser-sdl)
      local speana=0 driver= dir="$WORK/prog-$player" wid
      [ "$player" = corvale-no-analyser ] && speana=255
      # SDL's PulseAudio driver: the output before the native one.
      [ "$player" = corvale-analyser-sdl ] && driver=pulseaudio
      prepare_corvale "$dir" "$speana" 20
      setsid env $(run_env "$h") QT_QPA_PLATFORM=xcb ${driver:+SDL_AUDIODRIVER=$driver} \
        "$dir/corvale" "$MUSIC" >/dev/null 2>&1 &
      echo $! >"$PIDF"
      wid=$(timeout 20 xdotool search --sync --onlyvisible --class corvale | head -n 1)
      xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus --sync "$wid" 2>/dev/null || true
      sleep 1
      date +%s%N >"$MARKF"
      xdotool key p ;;
    audacious-gtk-winamp|audacious-qt-winamp)
      local mode=-G
      [ "$player" = audacious-qt-winamp ] && mode=-Q
      prepare_audacious "$h" "$mode"
      date +%s%N >"$MARKF"
      setsid env $(run_env "$h") audacious "$mode" "$MUSIC" >/dev/null 2>&1 &
      echo $! >"$PIDF" ;;
    qmmp)
      prepare_qmmp "$h"
      date +%s%N >"$MARKF"
      setsid env $(run_env "$h") qmmp "$MUSIC" >/dev/null 2>&1 &
      echo $! >"$PIDF" ;;
    cmus)
      # cmus needs a terminal (a detached tmux session) and a session bus
      # (without one it stops at start-up to report that MPRIS is off).
      mkdir -p "$h/.config/cmus"
      echo "set output_plugin=pulse" >"$h/.config/cmus/rc"
      env $(run_env "$h") tmux -L corvale-bench new-session -d -x 120 -y 40 "dbus-run-session -- cmus"
      for _ in $(seq 100); do
        env $(run_env "$h") timeout 2 cmus-remote -Q >/dev/null 2>/dev/null && break; sleep 0.1
      done
      pgrep -n -x cmus >"$PIDF" || true
      date +%s%N >"$MARKF"
      env $(run_env "$h") timeout 5 cmus-remote -f "$MUSIC" ;;
    vlc-spectrum)
      # VLC refuses to run as root: it runs as nobody.
      chown -R nobody:nogroup "$h"
      date +%s%N >"$MARKF"
      setsid setpriv --reuid=nobody --regid=nogroup --clear-groups env $(run_env "$h") \
        vlc --no-qt-privacy-ask --aout=pulse --audio-visual=visual --effect-list=spectrum "$MUSIC" >/dev/null 2>&1 &
      echo $! >"$PIDF" ;;
    *) echo "unknown player $player" >&2; return 1 ;;
  esac
}

stop_player() {
  local player=$1 pid=$2
  if [ "$player" = cmus ]; then
    tmux -L corvale-bench kill-server 2>/dev/null || true
  else
    kill -TERM -- "-$pid" 2>/dev/null || kill -TERM "$pid" 2>/dev/null || true
  fi
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || return 0; sleep 0.1; done
  kill -KILL -- "-$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null || true
}

RESULTS="$OUT/compare-results.tsv"
: >"$RESULTS"
for run in $(seq "$RUNS"); do
  for player in $PLAYERS; do
    PIDF="$WORK/pid"; MARKF="$WORK/mark"; rm -f "$PIDF" "$MARKF"
    csv="$OUT/compare-$player-$run.csv"
    start_x
    coproc METER { "$BUILD/bench/playmeter" measure --monitor nullsink.monitor --pidfile "$PIDF" \
                     --markfile "$MARKF" --csv "$csv" --seconds "$SECONDS_PER_RUN" --xpid "$XPID"; }
    meter_pid=$METER_PID
    read -r ready <&"${METER[0]}"
    if [ "$ready" != ready ]; then echo "$player: $ready" >&2; stop_x; continue; fi
    launch "$player" || { kill "$meter_pid" 2>/dev/null; stop_x; continue; }
    if [ -n "${CORVALE_COMPARE_SHOTS:-}" ] && [ "$run" = 1 ]; then
      sleep 4; import -window root "$OUT/screen-$player.png" 2>/dev/null || true
    fi
    read -r line <&"${METER[0]}" || line=""
    wait "$meter_pid" || true
    stop_player "$player" "$(cat "$PIDF" 2>/dev/null || echo 0)"
    stop_x
    echo "$player run $run: $line" >&2
    cpu=0 rss_kb=0 ttfs_ms=-1 sound=0 xcpu=0
    eval "$(echo "$line" | tr ' ' '\n' | grep -E '^(cpu|rss_kb|ttfs_ms|sound|xcpu)=')"
    printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$player" "$run" "$cpu" "$rss_kb" "$ttfs_ms" "$csv" "$xcpu" >>"$RESULTS"
    sleep 1
  done
done

"$BUILD/bench/playmeter" summary "$RESULTS" "$OUT/compare-plotlist.tsv" >"$OUT/compare.md"
XDG_RUNTIME_DIR="$(home_for plot)/run" QT_QPA_PLATFORM=offscreen "$BUILD/bench/cpuplot" "$OUT/compare-plotlist.tsv" "$OUT/compare-cpu.png"
cat "$OUT/compare.md"
