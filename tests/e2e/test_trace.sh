#!/usr/bin/env bash
# A frame recorded with apitrace reads by name: every frame is the six passes as debug
# groups, each pushed and popped in order; every texture, buffer, vertex array, framebuffer
# and program the game makes is labelled; DRIFTHOLD_GL_DEBUG=1 turns on debug output and
# the driver reports no error or warning. Skipped (77) without apitrace, and in the
# sanitizer build, whose runtime must load before apitrace's preloaded wrapper.
set -u
. "$(dirname "$0")/lib.sh"
command -v apitrace >/dev/null || { echo "SKIP: apitrace is not installed"; exit 77; }
e2e_setup "$1"
ldd "$GAME" | grep -q libasan && { echo "SKIP: apitrace cannot preload into the sanitizer build"; exit 77; }

trace="$E2E_TMP/game.trace" dump="$E2E_TMP/dump.txt"
export DRIFTHOLD_GL_DEBUG=1
play_game "$(command -v apitrace)" "$E2E_ROOT" 60 trace --api gl -o "$trace" "$GAME"
sleep 1
quit_with_escape 30
expect_status 0
startup_transcript >"$E2E_TMP/expected.txt"
expect_stdout "$E2E_TMP/expected.txt"
apitrace dump --color=never "$trace" >"$dump" || e2e_fail "apitrace could not dump the trace"
grep -q ' glDebugMessageCallback(' "$dump" || e2e_fail "DRIFTHOLD_GL_DEBUG=1 set no callback"

# One line per frame that has groups: "<name" for a push, ">" for a pop.
awk '/ glPushDebugGroup\(/ { match($0, /message = "[^"]*"/); seq = seq "<" substr($0, RSTART + 11, RLENGTH - 12) }
     / glPopDebugGroup\(/ { seq = seq ">" }
     / glXSwapBuffers\(/ { if (seq != "") print seq; seq = "" }' "$dump" >"$E2E_TMP/frames.txt"
expected='<scene><particles><shadow-texture><shadow-mapping><motion-blur><present>'
[ "$(grep -cx -- "$expected" "$E2E_TMP/frames.txt")" -ge 2 ] ||
    e2e_fail "fewer than two frames with the six pass groups, in order"
grep -vx -- "$expected" "$E2E_TMP/frames.txt" >&2 && e2e_fail "frames with other groups (above)"

# Every name made is labelled, of every kind.
awk 'function made(kind) { match($0, /= &[0-9]+\)/); names[kind " " substr($0, RSTART + 3, RLENGTH - 4)] = 1 }
     / glGenTextures\(/ { made("GL_TEXTURE") }
     / glGenBuffers\(/ { made("GL_BUFFER") }
     / glGenVertexArrays\(/ { made("GL_VERTEX_ARRAY") }
     / glGenFramebuffers\(/ { made("GL_FRAMEBUFFER") }
     / glCreateProgram\(\) = / { names["GL_PROGRAM " $NF] = 1 }
     / glObjectLabel\(/ { match($0, /identifier = [A-Z_]+, name = [0-9]+/)
                          split(substr($0, RSTART, RLENGTH), f, /[ ,=]+/); labelled[f[2] " " f[4]] = 1 }
     END { for (n in names) { split(n, f, " "); kinds[f[1]] = 1; if (!(n in labelled)) print "unlabelled: " n }
           split("GL_TEXTURE GL_BUFFER GL_VERTEX_ARRAY GL_FRAMEBUFFER GL_PROGRAM", all, " ")
           for (k in all) if (!(all[k] in kinds)) print "none made: " all[k] }' "$dump" >"$E2E_TMP/labels.txt"
[ -s "$E2E_TMP/labels.txt" ] && { sort "$E2E_TMP/labels.txt" >&2; e2e_fail "objects without labels (above)"; }
for label in 'basic program' 'motion-blur program' 'particles source buffer' \
    'Meteor.obj vertex array' 'StarSphere.obj texture' 'sceneBuffer colour'; do
    grep -q "glObjectLabel(.*label = \"$label\")" "$dump" || e2e_fail "no object labelled \"$label\""
done
! grep -m 5 '^drifthold: GL ' "$GAME_OUT.err" >&2 || e2e_fail "the driver reported the above"
echo "PASS: trace with pass groups and labels"
