#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the fuzz targets with clang (libFuzzer, address and undefined-behaviour
# sanitizers), writes the seed corpora and runs each target for a set time.
#
#   fuzz/run.sh [seconds-per-target] [target ...]
#
# seconds: default 60. Targets: settings colorscheme m3u lyrics decode (default
# all that were built). Environment: FUZZ_BUILD (build folder, default
# build-fuzz in the source tree), FUZZ_PARALLEL (targets run at once, default 1),
# FUZZ_JOBS (build jobs, default 2).
# The corpus grows across runs in $FUZZ_BUILD/fuzz-work/corpus/<target>;
# findings land in $FUZZ_BUILD/fuzz-work/findings/<target>.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
build="${FUZZ_BUILD:-$root/build-fuzz}"
parallel="${FUZZ_PARALLEL:-1}"
jobs="${FUZZ_JOBS:-2}"
work="$build/fuzz-work"

# --- tools -------------------------------------------------------------------
fuzzer_runtime() {
    local dir
    dir="$(clang -print-resource-dir 2>/dev/null)/lib/linux"
    [ -f "$dir/libclang_rt.fuzzer-x86_64.a" ] || [ -f "$dir/libclang_rt.fuzzer-$(uname -m).a" ]
}
if ! command -v clang++ >/dev/null || ! fuzzer_runtime; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "clang and libclang-rt-14-dev are needed: apt-get install clang libclang-rt-14-dev (as root)" >&2
        exit 1
    fi
    echo "== installing clang and libclang-rt-14-dev"
    DEBIAN_FRONTEND=noninteractive apt-get install -y clang libclang-rt-14-dev ||
        { apt-get update && DEBIAN_FRONTEND=noninteractive apt-get install -y clang libclang-rt-14-dev; }
fi

# --- build -------------------------------------------------------------------
echo "== configuring $build"
mkdir -p "$build"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DCORVALE_FUZZ=ON -DCORVALE_SANITIZE=ON \
    -DCORVALE_TESTS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$build/fuzz-configure.log" 2>&1 ||
    { cat "$build/fuzz-configure.log"; exit 1; }
echo "== building"
nice -n 19 cmake --build "$build" --target corvale_fuzz -j"$jobs" >"$build/fuzz-build.log" 2>&1 ||
    { tail -40 "$build/fuzz-build.log"; exit 1; }
bin="$build/fuzz"

# --- seeds -------------------------------------------------------------------
seeds="$work/seeds"
rm -rf "$seeds"
mkdir -p "$seeds"
"$bin/corvale_fuzz_seeds" "$seeds"
cp "$root"/data/color/*.kcl "$seeds/colorscheme/"
if command -v lame >/dev/null; then
    wav="$seeds/decode/pcm16-stereo.wav"
    lame --quiet -b 32 "$wav" "$seeds/decode/cbr32.mp3"
    lame --quiet -V 9 -m m --resample 8 --add-id3v2 --tt "$(printf '\xe6\x97\xa5\xe6\x9c\xac')" --ta Artist \
        "$wav" "$seeds/decode/vbr-mono-id3v2.mp3"
    lame --quiet -b 24 --id3v1-only --tt Title --ta Artist "$wav" "$seeds/decode/id3v1.mp3"
    "$bin/corvale_fuzz_seeds" --wrap-mp3 "$seeds/decode/cbr32.mp3" "$seeds/decode/riff-mpeg.wav"
else
    echo "lame not found: no MP3 seeds"
fi
if command -v twolame >/dev/null; then
    twolame --quiet -b 32 "$seeds/decode/pcm16-stereo.wav" "$seeds/decode/layer2.mp2" || true
fi

# --- run ---------------------------------------------------------------------
declare -A max_len=([settings]=4096 [colorscheme]=4096 [m3u]=4096 [lyrics]=16384 [decode]=16384)
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for t in settings colorscheme m3u lyrics decode; do
        [ -x "$bin/${t}_fuzzer" ] && targets+=("$t")
    done
fi

run_one() {
    local t="$1"
    local corpus="$work/corpus/$t" findings="$work/findings/$t" log="$work/logs/$t.log"
    mkdir -p "$corpus" "$findings" "$work/logs"
    (cd "$findings" && SDL_AUDIODRIVER=dummy nice -n 19 "$bin/${t}_fuzzer" \
        -max_total_time="$seconds" -max_len="${max_len[$t]}" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "$seeds/$t" >"$log" 2>&1) || true
    local execs found
    execs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)"
    found="$(find "$findings" -maxdepth 1 -type f \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' \
        -o -name 'oom-*' -o -name 'slow-unit-*' \) | wc -l)"
    printf '%-12s %12s executions in %ss, corpus %s files, findings %s (%s)\n' "$t" "${execs:-?}" "$seconds" \
        "$(find "$corpus" -type f | wc -l)" "$found" "$findings"
    if [ "$found" -ne 0 ]; then
        grep -m3 -E 'ERROR|expectation failed|SUMMARY' "$log" | sed 's/^/    /' || true
    fi
}

echo "== fuzzing ${targets[*]} for ${seconds}s each, $parallel at a time"
running=0
for t in "${targets[@]}"; do
    if [ ! -x "$bin/${t}_fuzzer" ]; then
        echo "$t: not built" >&2
        continue
    fi
    run_one "$t" &
    running=$((running + 1))
    if [ "$running" -ge "$parallel" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait
