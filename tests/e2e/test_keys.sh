#!/usr/bin/env bash
# A player's key script: every key line exactly, frame-time lines by their shape.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"

play_game "$GAME" "$E2E_ROOT"

# Position, both display switches twice, a quarter turn (up: about z, the nose goes
# to +y), the menu with its five keys, back to the game.
keys t F3 F3 F9 F9 Up t m Up Right Down Left Return p
wait_for_lines '^MenuState - ENTER pressed$' 1 20
# Frame time on; off again only once the loop has printed some, so both are seen.
keys F2
wait_for_lines '^frametime: ' 3 20
keys F2
wait_for_lines '^Show frame time: OFF$' 1 20
quit_with_escape 20
expect_status 0

{
    startup_transcript
    cat <<'LINES'
position: fvec4(0.247500, 0.000000, 0.000000, 1.000000)
Wireframe mode: ON
Wireframe mode: OFF
Transparency: OFF
Transparency: ON
position: fvec4(-0.000000, 0.247500, 0.000000, 1.000000)
MenuState - UP arrow pressed
MenuState - RIGHT arrow pressed
MenuState - DOWN arrow pressed
MenuState - LEFT arrow pressed
MenuState - ENTER pressed
Show frame time: ON
<frametime lines>
Show frame time: OFF
LINES
} >"$E2E_TMP/expected.txt"

# Each run of frame-time lines becomes one marker; a malformed one fails the test.
awk '
    /^frametime: / {
        if ($0 !~ /^frametime: [0-9.e+-]+ms$/) { print "malformed: " $0 > "/dev/stderr"; bad = 1 }
        if (!inrun) print "<frametime lines>"
        inrun = 1
        next
    }
    { inrun = 0; print }
    END { exit bad }
' "$GAME_OUT" >"$E2E_TMP/actual.txt" || e2e_fail "malformed frame-time line"
diff -u "$E2E_TMP/expected.txt" "$E2E_TMP/actual.txt" >&2 ||
    e2e_fail "key lines differ from the expected text (above)"
echo "PASS: key script"
