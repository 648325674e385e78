#!/usr/bin/env bash
# A broken or missing data file ends the game where it is read, at once: every line up to
# it, the message, status 255, and no wait for a key. The basic program is built before the
# game state, so a broken basic shader comes first of all; the star-sphere shader is read
# after all eleven models.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"

# broken NAME FILE [TEXT]: the game in a copy of the data whose FILE (under Assets) holds
# TEXT, or is missing; it must end by itself with status 255.
broken() {
    local dir
    dir="$(assets_copy "$1")"
    rm "$dir/Assets/$2"
    [ $# -lt 3 ] || printf '%s' "$3" >"$dir/Assets/$2"
    run_until_end "$dir"
    expect_status 255
}
# expect_through LINE MESSAGE: stdout is the start-up transcript up to and including LINE
# (none when empty), then MESSAGE.
expect_through() {
    { [ -z "$1" ] || startup_transcript | LINE="$1" awk '{ print } $0 == ENVIRON["LINE"] { exit }'
      echo "$2"; } >"$E2E_TMP/expected.txt"
    expect_stdout "$E2E_TMP/expected.txt"
}
# expect_message_and_log FIRST: that line first, then the driver's log, never empty.
expect_message_and_log() {
    [ "$(head -n 1 "$GAME_OUT")" = "$1" ] || e2e_fail "first line is not '$1'"
    [ "$(tail -n +2 "$GAME_OUT" | grep -c .)" -ge 1 ] || e2e_fail "no log after '$1'"
    ! grep -q '^Init GameState' "$GAME_OUT" || e2e_fail "the game state was built"
}

broken garbage-meteor Models/Meteor/Meteor.obj 'no model'
expect_through 'Load model Assets\Models\Meteor\Meteor.obj' 'ERROR READING MESH: Assets\Models\Meteor\Meteor.obj'
broken missing-ground Models/ground.obj
expect_through 'Load model Assets\Models\ground.obj' 'ERROR READING MESH: Assets\Models\ground.obj'
broken missing-starsphere Shader/StarSphere.frag
expect_through 'Model Assets\Models\ground.obj loaded' 'Shader file missing'
broken missing-vert Shader/basic.vert
expect_through '' 'Shader file missing'
broken empty-frag Shader/basic.frag ''
expect_message_and_log "Failed to compile shader"
broken no-main Shader/basic.vert "$(sed 's/void main()/void notMain()/' "$E2E_ROOT/Assets/Shader/basic.vert")"
grep -q 'notMain' "$E2E_TMP/no-main/Assets/Shader/basic.vert" || e2e_fail "basic.vert has no main to rename"
expect_message_and_log "Failed to link shader program"

# Started away from its data: the same single line on stdout, and on stderr which file was
# looked for where, and how to start the game instead.
mkdir -p "$E2E_TMP/elsewhere"
run_until_end "$E2E_TMP/elsewhere"
expect_status 255
expect_through '' 'Shader file missing'
grep -q "cannot open Assets/Shader/basic.vert in $E2E_TMP/elsewhere" "$GAME_OUT.err" &&
    grep -q 'drifthold launcher' "$GAME_OUT.err" ||
    e2e_fail "stderr does not say which file was missing and how to start the game"
echo "PASS: broken and missing data files"
