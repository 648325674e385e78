#!/usr/bin/env bash
# Benchmark (make bench): start-up time and frame times of the game during a scripted
# flight, beside the same figures for bench_floor (the game's window and passes with
# pass-through shaders), and the ratio game/floor. Frame times come from the game's own
# "frametime: ...ms" lines (F2); a build with DRIFTHOLD_BENCH also prints per-pass GPU
# times ("gpu: ..." lines) while F2 is on. Nothing is asserted: it reports.
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
. tests/e2e/lib.sh

MEASURED="${DRIFTHOLD_BENCH_FRAMES:-630}" # frames that count
WARMUP=20                                 # the first frames are left out
WANT=$((MEASURED + WARMUP))
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

# summarize NAME: "startup median p95 p99 frames" in ms from NAME's stamped lines, and
# the per-pass GPU medians into $E2E_TMP/NAME.gpu as "pass median" lines.
summarize() {
    local name="$1" file="$E2E_TMP/$1.txt" times="$E2E_TMP/$1.times" startup pass
    startup="$(awk -v t0="$LAUNCHED_AT" '$2 == "frametime:" { printf "%.0f", ($1 - t0) * 1000; exit }' "$file")"
    awk -v warm="$WARMUP" -v want="$MEASURED" '
        $2 == "frametime:" && ++seen > warm && n++ < want { v = $3; sub(/ms$/, "", v); print v + 0 }
    ' "$file" | sort -g >"$times"
    if [ ! -s "$times" ]; then
        echo "- - - - 0"
    else
        echo "${startup:--} $(pick 0.5 <"$times") $(pick 0.95 <"$times") $(pick 0.99 <"$times") $(wc -l <"$times")"
    fi
    : >"$E2E_TMP/$name.gpu"
    for pass in $(awk '$2 == "gpu:" { for (i = 3; i <= NF; i++) { split($i, kv, "="); print kv[1] } exit }' "$file"); do
        echo "$pass $(awk -v warm="$WARMUP" -v key="$pass" '
            $2 == "gpu:" && ++g > warm { for (i = 3; i <= NF; i++) { split($i, kv, "="); if (kv[1] == key) print kv[2] + 0 } }
        ' "$file" | sort -g | pick 0.5)" >>"$E2E_TMP/$name.gpu"
    done
}

e2e_init
start_xvfb
echo "Benchmark on $DISPLAY (Xvfb; $(nproc) CPU cores): $MEASURED frames after $WARMUP warm-up frames."

# The floor: it prints its frame times by itself and stops after enough frames.
echo "floor ..."
launch floor "$FLOOR" "$WANT"
wait_exit 600
[ "$GAME_STATUS" -eq 0 ] || e2e_fail "bench_floor ended with status $GAME_STATUS"
FLOOR_LAUNCH="$LAUNCHED_AT"
LAUNCHED_AT="$FLOOR_LAUNCH" summarize floor >"$E2E_TMP/floor.sum"

# The game: F2 is pressed as soon as the window can take it, so the first frametime
# line is the second frame's, written right after the first frame was shown.
echo "game ..."
launch game "$GAME"
GAME_LAUNCH="$LAUNCHED_AT"
wait_window 60
focus_window
keys F2
wait_for_lines '^[0-9.]+ frametime: ' 1 120
flight=(3 Up 4 Left 8 2 Down 7 hold 9 9 Right 3 Up Up 1 Left 4)
step=0
for _ in $(seq 1 600); do
    [ "$(frames_seen)" -ge "$WANT" ] && break
    kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended during the flight"
    key="${flight[$((step % ${#flight[@]}))]}"
    step=$((step + 1))
    if [ "$key" = hold ]; then hold_key a 1; else keys "$key"; sleep 1; fi
done
[ "$(frames_seen)" -ge "$WANT" ] || e2e_fail "only $(frames_seen) frames within the time limit"
quit_with_escape 30
[ "$GAME_STATUS" -eq 0 ] || e2e_fail "the game ended with status $GAME_STATUS"
LAUNCHED_AT="$GAME_LAUNCH" summarize game >"$E2E_TMP/game.sum"

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
    while read -r pass g_ms; do
        f_ms="$(awk -v p="$pass" '$1 == p { print $2 }' "$E2E_TMP/floor.gpu")"
        echo "| GPU $pass, median | $g_ms | ${f_ms:--} | $(ratio "$g_ms" "${f_ms:-0}") |"
    done <"$E2E_TMP/game.gpu"
    echo
    echo "Frames measured: game $g_n, floor $f_n. Renderer: Mesa's software rasteriser under Xvfb."
    awk '$1 != "total" && $2 > max { max = $2; pass = $1 } $1 == "total" { total = $2 }
        END { if (pass != "" && total > 0)
                  printf "Costliest pass in the game: %s, %.2f ms median (%.0f%% of the GPU total).\n", pass, max, 100 * max / total }
    ' "$E2E_TMP/game.gpu"
} | tee out/bench.md
