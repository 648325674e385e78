#!/usr/bin/env bash
# Soak run: plays the real game under a private Xvfb for SECONDS with random keys (speed 4
# and turns put the ship into meteors and its own trail, so it resets again and again; F11
# toggles full screen, and the passes render at the window's size, so they are rebuilt at
# each toggle), reports resident memory along the way, then counts live GL objects around
# 100 forced resets and 100 resizes with the GL tests. Fails when memory grows by 5 MiB or
# more after the warm-up, when the game dies, or when the GL object counts move.
# Usage: scripts/soak.sh [build-dir] [seconds]
set -u
cd "$(dirname "$0")/.."
build="${1:-build}"
duration="${2:-600}"
GAME="$(realpath "$build/drifthold")"
LEAKTEST="$build/tests/drifthold_gltests"
[ -x "$GAME" ] || { echo "no game at $build/drifthold: build it first" >&2; exit 1; }
[ -x "$LEAKTEST" ] || { echo "no $LEAKTEST: build the tests first" >&2; exit 1; }
. scripts/lib.sh

warmup=30
[ "$duration" -lt $((warmup * 2)) ] && warmup=$((duration / 2))
limit_kib=$((5 * 1024))

rss_kib() {
    awk '/^VmRSS:/ { print $2 }' "/proc/$GAME_PID/status" 2>/dev/null
}

alive() {
    kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended during the soak run"
}

# Speeds, turns, cameras and their movement keys, cockpit, the two display toggles and
# full screen.
# Top speed and turns come most often: those are what crash the ship. The menu is
# handled on its own, so the game never stays paused.
play_keys=(4 4 4 3 2 1 Up Down Left Right Up Down Left Right 7 8 a d w s j k 9 F3 F9 F11)

random_batch() {
    local n
    for n in 1 2 3 4 5 6 7 8; do
        printf '%s ' "${play_keys[RANDOM % ${#play_keys[@]}]}"
    done
}

e2e_init
start_xvfb
echo "Soak: the game on $DISPLAY for ${duration}s of random keys"
play_game "$GAME" "$PWD" 60 --render-size window

start_rss="$(rss_kib)"
start_time=$SECONDS
presses=0
next_sample=$warmup
samples=""
warm_rss=""
while [ $((SECONDS - start_time)) -lt "$duration" ]; do
    alive
    # shellcheck disable=SC2046
    keys $(random_batch) t
    presses=$((presses + 9))
    if [ $((RANDOM % 20)) -eq 0 ]; then
        keys m Up Return p
        presses=$((presses + 4))
    fi
    elapsed=$((SECONDS - start_time))
    if [ "$elapsed" -ge "$next_sample" ]; then
        now="$(rss_kib)"
        [ -z "$warm_rss" ] && warm_rss="$now"
        samples="$samples ${elapsed}s:$((now / 1024))MiB"
        next_sample=$((next_sample + 60))
    fi
done
alive
end_rss="$(rss_kib)"
[ -z "$warm_rss" ] && warm_rss="$start_rss"
quit_with_escape 30
expect_status 0

growth=$((end_rss - warm_rss))
# The game prints nothing on a reset; T after every batch prints the nose, and the
# start pose means the ship was back at its start, at rest (a lower bound of resets).
at_start="$(count_lines '^position: fvec4\(0\.247500, 0\.000000, 0\.000000, 1\.000000\)$')"
echo "Key presses:               $presses"
echo "Seen back at the start:    $at_start times"
echo "Resident memory at start:  $start_rss KiB (after start-up)"
echo "Resident memory warmed up: $warm_rss KiB (after ${warmup}s of play)"
echo "Resident memory at end:    $end_rss KiB (after ${duration}s)"
echo "Samples:                  $samples"
echo "Growth after warm-up:      $growth KiB (limit $limit_kib KiB)"

status=0
[ "$growth" -lt "$limit_kib" ] || { echo "FAIL: memory grew by $growth KiB" >&2; status=1; }

# gl_objects_kept VARIABLE FILTER WHAT: the GL test FILTER run with VARIABLE=100 must leave
# the live GL objects as they were.
gl_objects_kept() {
    local out="$E2E_TMP/leak-$1.txt"
    if env "$1=100" "$LEAKTEST" --gtest_filter="$2" >"$out" 2>&1; then
        grep '^GL objects' "$out"
    else
        cat "$out" >&2
        echo "FAIL: live GL objects changed over 100 $3 (or the test failed)" >&2
        status=1
    fi
}
gl_objects_kept DRIFTHOLD_RESETS '*ResetsKeep*' resets
gl_objects_kept DRIFTHOLD_RESIZES '*BothWays*' resizes
[ "$status" -eq 0 ] && echo "PASS: soak"
exit "$status"
