#!/bin/sh
# The layer check on the real tree passes, and on a tree with an include running back up
# (gfx -> states, platform -> app), or a file in no layer, it names the file and fails.
set -u
check=$1
"$check" src || { echo "FAIL: src/ has includes that run back up a layer"; exit 1; }
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/src/gfx" "$tmp/src/states" "$tmp/src/app" "$tmp/src/platform" "$tmp/src/stray"
printf '#include "states/State.h"\n' >"$tmp/src/gfx/Bad.cpp"
printf '#include "gfx/gl.h"\n#include "app/Game.h"\n' >"$tmp/src/states/AlsoBad.h"
printf '#include "gfx/gl.h"\n' >"$tmp/src/stray/Lost.cpp"
printf '#include "gfx/gl.h"\n#include "app/Game.h"\n' >"$tmp/src/platform/Knows.h"
printf '#include "states/State.h"\n#include "gfx/gl.h"\n' >"$tmp/src/app/Fine.cpp"
out=$("$check" "$tmp/src") && { echo "FAIL: the check passed a tree that runs back up"; exit 1; }
for want in "gfx/Bad.cpp: gfx includes states" "states/AlsoBad.h: states includes app" \
            "platform/Knows.h: platform includes app" "stray/Lost.cpp: in no layer"; do
    echo "$out" | grep -q "$want" || { echo "FAIL: not reported: $want"; echo "$out"; exit 1; }
done
[ "$(echo "$out" | wc -l)" -eq 4 ] || { echo "FAIL: more than the four faults:"; echo "$out"; exit 1; }
echo "PASS: layer check"
