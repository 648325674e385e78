#!/usr/bin/env bash
# A broken or missing file later in the start-up ends the game where it is read:
# every line up to it, then the message, status 255, and no wait for a key.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"

# The start-up transcript up to and including the line LINE.
transcript_through() {
    startup_transcript | LINE="$1" awk '{ print } $0 == ENVIRON["LINE"] { exit }'
}

# A meteor model Assimp cannot read: the first of its three loads fails.
dir="$(assets_copy garbage-meteor)"
rm "$dir/Assets/Models/Meteor/Meteor.obj"
printf 'no model\n' >"$dir/Assets/Models/Meteor/Meteor.obj"
run_until_end "$dir"
expect_status 255
{
    transcript_through 'Load model Assets\Models\Meteor\Meteor.obj'
    printf 'ERROR READING MESH: %s\n' 'Assets\Models\Meteor\Meteor.obj'
} >"$E2E_TMP/expected.txt"
expect_stdout "$E2E_TMP/expected.txt"

# The last model missing altogether.
dir="$(assets_copy missing-ground)"
rm "$dir/Assets/Models/ground.obj"
run_until_end "$dir"
expect_status 255
{
    transcript_through 'Load model Assets\Models\ground.obj'
    printf 'ERROR READING MESH: %s\n' 'Assets\Models\ground.obj'
} >"$E2E_TMP/expected.txt"
expect_stdout "$E2E_TMP/expected.txt"

# The star-sphere shader is read after all eleven models.
dir="$(assets_copy missing-starsphere)"
rm "$dir/Assets/Shader/StarSphere.frag"
run_until_end "$dir"
expect_status 255
{
    transcript_through 'Model Assets\Models\ground.obj loaded'
    echo "Shader file missing"
} >"$E2E_TMP/expected.txt"
expect_stdout "$E2E_TMP/expected.txt"
echo "PASS: asset failures"
