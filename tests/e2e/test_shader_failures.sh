#!/usr/bin/env bash
# Broken shader files end the game at once with status 255 and the exact message; the
# basic program is built before the game state, so nothing else comes first.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"

# The first line and the shape of what follows: the driver's log, never empty.
expect_message_and_log() {
    local first="$1"
    [ "$(head -n 1 "$GAME_OUT")" = "$first" ] || e2e_fail "first line is not '$first'"
    [ "$(tail -n +2 "$GAME_OUT" | grep -c .)" -ge 1 ] || e2e_fail "no log after '$first'"
    ! grep -q '^Init GameState' "$GAME_OUT" || e2e_fail "the game state was built"
}

# Missing vertex shader of the basic program: the one line, no file name.
dir="$(assets_copy missing-vert)"
rm "$dir/Assets/Shader/basic.vert"
run_until_end "$dir"
expect_status 255
printf 'Shader file missing\n' >"$E2E_TMP/expected.txt"
expect_stdout "$E2E_TMP/expected.txt"

# An emptied fragment shader compiles to an error.
dir="$(assets_copy empty-frag)"
rm "$dir/Assets/Shader/basic.frag"
: >"$dir/Assets/Shader/basic.frag"
run_until_end "$dir"
expect_status 255
expect_message_and_log "Failed to compile shader"

# A vertex shader without main compiles, but the program cannot link.
dir="$(assets_copy no-main)"
rm "$dir/Assets/Shader/basic.vert"
sed 's/void main()/void notMain()/' "$E2E_ROOT/Assets/Shader/basic.vert" \
    >"$dir/Assets/Shader/basic.vert"
grep -q 'notMain' "$dir/Assets/Shader/basic.vert" || e2e_fail "basic.vert has no main to rename"
run_until_end "$dir"
expect_status 255
expect_message_and_log "Failed to link shader program"
# Started away from its data: the same single line on stdout, and on stderr which file was
# looked for where, and how to start the game instead.
mkdir -p "$E2E_TMP/elsewhere"
run_until_end "$E2E_TMP/elsewhere"
expect_status 255
expect_stdout "$E2E_TMP/expected.txt"
grep -q "cannot open Assets/Shader/basic.vert in $E2E_TMP/elsewhere" "$GAME_OUT.err" &&
    grep -q 'drifthold launcher' "$GAME_OUT.err" ||
    e2e_fail "stderr does not say which file was missing and how to start the game"
echo "PASS: shader failures"
