#!/usr/bin/env bash
# Benchmark (make bench): start-up time and frame times of the game during a scripted
# flight, beside the same figures for bench_floor (the game's window and passes with
# pass-through shaders), and the ratio game/floor. Frame times come from the game's own
# "frametime: ...ms" lines, which a build with DRIFTHOLD_BENCH writes from the second frame
# on, with per-pass GPU times and the heap allocations of each frame ("gpu: ..." lines).
# The floor runs before and after the game, so a machine that speeds up or slows down
# meanwhile does not tilt the ratio; start-up is the median of several launches each. The
# game also flies without any sound device (what sound costs), at half the window's size
# (--render-scale 50), and in full screen on a 1920x1080 screen at the default render size
# and at the window's (--render-size window: 1440x1080 passes), each beside the floor at
# the same sizes. Nothing is asserted: it reports.
# Usage: scripts/bench.sh [build-dir]. The table also goes to out/bench.md.
set -u
cd "$(dirname "$0")/.."
build="${1:-build-bench}"
GAME="$(realpath "$build/drifthold")"
FLOOR="$(realpath "$build/tools/bench_floor")"
[ -x "$GAME" ] && [ -x "$FLOOR" ] || {
    echo "build $build first (make bench does)" >&2
    exit 1
}
. scripts/lib.sh

MEASURED="${DRIFTHOLD_BENCH_FRAMES:-630}" # frames that count
WARMUP=20                                 # the first frames are left out
WANT=$((MEASURED + WARMUP))
LAUNCHES="${DRIFTHOLD_BENCH_LAUNCHES:-5}"  # start-up samples of each program
mkdir -p out

# Each line of the program's stdout, prefixed with the wall time it arrived.
stamp() {
    local line
    while IFS= read -r line; do printf '%s %s\n' "$EPOCHREALTIME" "$line"; done
}

# launch NAME BINARY [ARGS...]: sets LAUNCHED_AT and GAME_PID; stdout stamped into GAME_OUT.
launch() {
    local name="$1"
    shift
    GAME_OUT="$E2E_TMP/$name.txt"
    : >"$GAME_OUT"
    LAUNCHED_AT="$EPOCHREALTIME"
    (
        set -o pipefail
        "$@" </dev/null 2>"$GAME_OUT.err" | stamp >"$GAME_OUT"
    ) &
    GAME_PID=$!
}

frames_seen() { count_lines '^[0-9.]+ frametime: '; }

# pick P: the P-quantile (nearest rank) of the sorted numbers on stdin.
pick() {
    awk -v p="$1" '{ v[++n] = $1 } END { k = int(p * n); if (k < p * n) k++; if (k < 1) k = 1; printf "%.2f\n", v[k] }'
}

# startup_of FILE LAUNCHED_AT: ms from the launch to the first frametime line.
startup_of() {
    awk -v t0="$2" '$2 == "frametime:" { printf "%.0f\n", ($1 - t0) * 1000; exit }' "$1"
}

# frame_times FILE: the measured frame times of one run, in ms, one a line.
frame_times() {
    awk -v warm="$WARMUP" -v want="$MEASURED" '
        $2 == "frametime:" && ++seen > warm && n++ < want { v = $3; sub(/ms$/, "", v); print v + 0 }
    ' "$1"
}

# gpu_values FILE KEY: the KEY=value numbers of the measured "gpu:" lines.
gpu_values() {
    awk -v warm="$WARMUP" -v key="$2" '
        $2 == "gpu:" && ++g > warm { for (i = 3; i <= NF; i++) { split($i, kv, "="); if (kv[1] == key) print kv[2] + 0 } }
    ' "$1"
}

# summarize NAME RUN...: "startup median p95 p99 frames" over the frame times of the runs
# (files $E2E_TMP/RUN.txt) and the start-ups in $E2E_TMP/NAME.startups; per-pass GPU
# medians into $E2E_TMP/NAME.gpu as "pass median" lines.
summarize() {
    local name="$1" times="$E2E_TMP/$1.times" run pass
    shift
    for run in "$@"; do frame_times "$E2E_TMP/$run.txt"; done | sort -g >"$times"
    local startup
    startup="$(sort -g "$E2E_TMP/$name.startups" | pick 0.5)"
    if [ ! -s "$times" ]; then
        echo "${startup:--} - - - 0"
    else
        echo "${startup:--} $(pick 0.5 <"$times") $(pick 0.95 <"$times") $(pick 0.99 <"$times") $(wc -l <"$times")"
    fi
    : >"$E2E_TMP/$name.gpu"
    for pass in $(awk '$2 == "gpu:" { for (i = 3; i <= NF; i++) { split($i, kv, "="); print kv[1] } exit }' "$E2E_TMP/$1.txt"); do
        [ "$pass" = allocations ] && continue
        echo "$pass $(for run in "$@"; do gpu_values "$E2E_TMP/$run.txt" "$pass"; done | sort -g | pick 0.5)" >>"$E2E_TMP/$name.gpu"
    done
}


e2e_init
start_xvfb
echo "Benchmark on $DISPLAY (Xvfb; $(nproc) CPU cores): $MEASURED frames after $WARMUP warm-up frames."

# The floor: it prints its frame times by itself and stops after enough frames.
: >"$E2E_TMP/floor.startups"
: >"$E2E_TMP/game.startups"
# floor_run NAME [OPTION...]: the floor with the game's size options; the default runs'
# start-ups count.
floor_run() {
    local name="$1"
    shift
    echo "floor ($name) ..."
    launch "$name" "$FLOOR" "$WANT" "$@"
    wait_exit 600
    [ "$GAME_STATUS" -eq 0 ] || e2e_fail "bench_floor ended with status $GAME_STATUS"
    [ $# -eq 0 ] && startup_of "$GAME_OUT" "$LAUNCHED_AT" >>"$E2E_TMP/floor.startups"
}
floor_run floor-before

# The game's sound is mixed as on a player's machine, into a file here (the wave writer).
printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$E2E_TMP/mix.wav" >"$E2E_TMP/alsoft.conf"
export ALSOFT_CONF="$E2E_TMP/alsoft.conf"
unset ALSOFT_DRIVERS

# flight NAME [COMMAND...]: the game (by default with sound, --no-vsync) through a scripted
# flight until enough frames are measured. The benchmark build writes its frame times
# without F2, from the second frame on as the floor does, so the first frametime line comes
# right after the first frame was shown.
flight() {
    local name="$1" step=0 key _
    shift
    echo "game ($name) ..."
    if [ $# -eq 0 ]; then launch "$name" "$GAME" --no-vsync; else launch "$name" "$@"; fi
    local launched="$LAUNCHED_AT"
    wait_window 60
    focus_window
    wait_for_lines '^[0-9.]+ frametime: ' 1 120
    [ "$name" = game ] && startup_of "$GAME_OUT" "$launched" >>"$E2E_TMP/game.startups"
    local script=(3 Up 4 Left 8 2 Down 7 hold 9 9 Right 3 Up Up 1 Left 4)
    for _ in $(seq 1 600); do
        [ "$(frames_seen)" -ge "$WANT" ] && break
        kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended during the flight"
        key="${script[$((step % ${#script[@]}))]}"
        step=$((step + 1))
        if [ "$key" = hold ]; then hold_key a 1; else keys "$key"; sleep 1; fi
    done
    [ "$(frames_seen)" -ge "$WANT" ] || e2e_fail "only $(frames_seen) frames within the time limit"
    quit_with_escape 30
    [ "$GAME_STATUS" -eq 0 ] || e2e_fail "the game ended with status $GAME_STATUS"
}
flight game
# The same without any sound: no device opens.
flight game-silent env ALSOFT_DRIVERS=no-such-driver "$GAME" --no-vsync

floor_run floor-after

# More start-ups of both, alternating.
echo "start-up, $LAUNCHES launches each ..."
for _ in $(seq 2 "$LAUNCHES"); do
    launch floor-launch "$FLOOR" 2
    wait_exit 60
    startup_of "$GAME_OUT" "$LAUNCHED_AT" >>"$E2E_TMP/floor.startups"
    launch game-launch "$GAME" --no-vsync
    wait_for_lines '^[0-9.]+ frametime: ' 1 120
    wait_window 60
    focus_window
    startup_of "$GAME_OUT" "$LAUNCHED_AT" >>"$E2E_TMP/game.startups"
    quit_with_escape 30
done

# Half the window's size, as a player without a GPU would pick it: 512x384 passes.
flight game-half "$GAME" --no-vsync --render-scale 50
floor_run floor-half --render-scale 50

# Full screen on a 1920x1080 screen: at the default size the passes stay 1024x768 and only
# presenting grows; at the window's size they are 1440x1080.
kill "$XVFB_PID" 2>/dev/null
wait "$XVFB_PID" 2>/dev/null
start_xvfb 1920x1080
flight game-fullscreen "$GAME" --no-vsync --fullscreen
floor_run floor-fullscreen --fullscreen
flight game-fullscreen-window "$GAME" --no-vsync --fullscreen --render-size window
floor_run floor-fullscreen-window --fullscreen --render-size window

summarize game game >"$E2E_TMP/game.sum"
summarize floor floor-before floor-after >"$E2E_TMP/floor.sum"
median_of() { frame_times "$E2E_TMP/$1.txt" | sort -g | pick 0.5; }
silent_med="$(median_of game-silent)"
full_med="$(median_of game-fullscreen)"
allocations="$(for run in game game-half game-fullscreen game-fullscreen-window; do gpu_values "$E2E_TMP/$run.txt" allocations; done | sort -g | awk '{ v[++n] = $1; s += $1 } END { if (n) printf "%d %d %d", v[n], s, n; else printf "- - 0" }')"

read -r g_start g_med g_p95 g_p99 g_n <"$E2E_TMP/game.sum"
read -r f_start f_med f_p95 f_p99 f_n <"$E2E_TMP/floor.sum"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b + 0 > 0 && a != "-") printf "%.2f", a / b; else printf "-" }'; }
{
    echo "| figure (ms) | game | floor | game/floor |"
    echo "|---|---:|---:|---:|"
    echo "| start-up, launch to first frame | $g_start | $f_start | $(ratio "$g_start" "$f_start") |"
    echo "| frame time, median | $g_med | $f_med | $(ratio "$g_med" "$f_med") |"
    echo "| frame time, p95 | $g_p95 | $f_p95 | $(ratio "$g_p95" "$f_p95") |"
    echo "| frame time, p99 | $g_p99 | $f_p99 | $(ratio "$g_p99" "$f_p99") |"
    echo "| frame time, median, without sound (no device) | $silent_med | | |"
    echo "| frame time, median, full screen on 1920x1080 | $full_med | $(median_of floor-fullscreen) | $(ratio "$full_med" "$(median_of floor-fullscreen)") |"
    while read -r pass g_ms; do
        f_ms="$(awk -v p="$pass" '$1 == p { print $2 }' "$E2E_TMP/floor.gpu")"
        echo "| GPU $pass, median | $g_ms | ${f_ms:--} | $(ratio "$g_ms" "${f_ms:-0}") |"
    done <"$E2E_TMP/game.gpu"
    read -r a_max a_sum a_n <<<"$allocations"
    echo "| heap allocations per frame (game's own code, every run and size), most in one frame | $a_max | | |"
    echo
    echo "Frames measured: game $g_n, floor $f_n (before and after the game). Start-up: median of $LAUNCHES launches each."
    echo "Heap allocations: $a_sum in $a_n frames. Renderer: Mesa's software rasteriser under Xvfb."
    echo "Sound costs $(awk -v a="$g_med" -v b="$silent_med" 'BEGIN { printf "%+.1f%%", 100 * (a / b - 1) }') of the median frame (with sound against without); full screen at 1920x1080 against the 1024x768 window: $(ratio "$full_med" "$g_med")."
    awk '$1 != "total" && $2 > max { max = $2; pass = $1 } $1 == "total" { total = $2 }
        END { if (pass != "" && total > 0)
                  printf "Costliest pass in the game: %s, %.2f ms median (%.0f%% of the GPU total).\n", pass, max, 100 * max / total }
    ' "$E2E_TMP/game.gpu"
    echo
    echo "Render sizes (frame time, median, ms; each beside the floor at the same sizes):"
    echo
    echo "| run | passes | game | floor | game/floor | game against |"
    echo "|---|---|---:|---:|---:|---:|"
    half_med="$(median_of game-half)"
    window_med="$(median_of game-fullscreen-window)"
    echo "| window 1024x768, render size fixed | 1024x768 | $g_med | $f_med | $(ratio "$g_med" "$f_med") | |"
    echo "| window 1024x768, render scale 50 | 512x384 | $half_med | $(median_of floor-half) | $(ratio "$half_med" "$(median_of floor-half)") | $(ratio "$half_med" "$g_med") of the default |"
    echo "| full screen 1920x1080, render size fixed | 1024x768 | $full_med | $(median_of floor-fullscreen) | $(ratio "$full_med" "$(median_of floor-fullscreen)") | |"
    echo "| full screen 1920x1080, render size window | 1440x1080 | $window_med | $(median_of floor-fullscreen-window) | $(ratio "$window_med" "$(median_of floor-fullscreen-window)") | $(ratio "$window_med" "$full_med") of full screen fixed |"
} | tee out/bench.md
