#!/usr/bin/env bash
# A clean start writes the start-up transcript and nothing more until a key is pressed;
# Escape then ends the game with status 0 and adds nothing.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"

play_game "$GAME" "$E2E_ROOT"
# A few frames with no key: the loop itself must stay silent.
sleep 1
startup_transcript >"$E2E_TMP/expected.txt"
expect_stdout "$E2E_TMP/expected.txt"

quit_with_escape 20
expect_status 0
expect_stdout "$E2E_TMP/expected.txt"
echo "PASS: start-up transcript"
