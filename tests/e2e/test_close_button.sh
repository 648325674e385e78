#!/usr/bin/env bash
# The window's close button (WM_DELETE_WINDOW, as a window manager sends it) ends the
# game cleanly: status 0 and nothing written after the start-up transcript.
set -u
WM_CLOSE="${2:-}"
. "$(dirname "$0")/lib.sh"
[ -x "$WM_CLOSE" ] || e2e_fail "the close-button helper is missing (second argument)"
e2e_setup "$1"

start_game "$GAME" "$E2E_ROOT"
wait_window 30
wait_for_lines '^Framebuffer successfully initialized!$' 4 40
sleep 0.5
"$WM_CLOSE" "$GAME_WINDOW" || e2e_fail "could not send WM_DELETE_WINDOW"
wait_exit 20
expect_status 0
startup_transcript >"$E2E_TMP/expected.txt"
expect_stdout "$E2E_TMP/expected.txt"
echo "PASS: close button"
