#!/usr/bin/env bash
# The real loop over wall-clock time: at full speed (0.6, five times that in ship units a
# second, scaled by 0.15: 0.45 a second) the ship flies forward between two T presses by
# what the frames' own times give; those frame times, printed with F2, are positive and add
# up to the time that really passed.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"
play_game "$GAME" "$E2E_ROOT"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
keys F2 4
# Both keys seen and a frame timed, so the frame that is running when T arrives prints its
# time before the position line (a slow start can swallow all three keys in one poll).
wait_for_lines '^frametime: ' 2 20
before=$(now_ms)
keys t
sleep 1
after=$(now_ms)
keys t
keys 1 F2
wait_for_lines '^Show frame time: OFF$' 1 20
quit_with_escape 20
expect_status 0

# The nose's x in each position line. A frame prints its time, then polls the keys (T prints
# the position), then moves the ship: the frames that flew between the two position lines are
# the one timed just before the first line up to, not including, the one timed before the
# second.
awk -v wall=$((after - before)) '
    /^position: / {
        gsub(/[^0-9.,-]/, "", $0); split($0, v, ","); x[++n] = v[1]
        if (n == 1) { if (!last) { print "no frame timed before the first position"; bad = 1 }; sum = last; frames = 1 }
        if (n == 2) { sum -= last; frames-- }
        next
    }
    /^frametime: / {
        ms = $2; sub(/ms$/, "", ms); ms += 0; last = ms
        if (!(ms > 0 && ms < 10000)) { printf "implausible frame time %s\n", $2; bad = 1 }
        if (n == 1) { sum += ms; frames++ }
    }
    END {
        if (n != 2) { print "expected two position lines, got " n; exit 1 }
        moved = x[2] - x[1]
        printf "moved %.4f in %d frames of %.1f ms in all, %d ms by the clock\n", moved, frames, sum, wall
        if (frames < 3) { print "too few frames"; bad = 1 }
        # The time that passed, within a generous margin for when the keys were seen.
        if (sum < 0.7 * wall || sum > 1.3 * wall) { print "frame times do not add up to the clock"; bad = 1 }
        # Forward by 0.45 a second of exactly those frame times (printed to six digits).
        slack = 0.45 * sum / 1000 * 0.01 + 0.0005
        if (moved < 0.45 * sum / 1000 - slack || moved > 0.45 * sum / 1000 + slack) {
            printf "moved %.4f, expected %.4f +- %.4f\n", moved, 0.45 * sum / 1000, slack; bad = 1
        }
        exit bad
    }
' "$GAME_OUT" >&2 || e2e_fail "the real loop does not fly as the clock says"
echo "PASS: the real loop over wall-clock time"
