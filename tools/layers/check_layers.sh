#!/bin/sh
# The include graph of src/ runs one way, downwards:
#   app -> states -> scene, effects -> gfx
#   app -> platform, audio, diagnostics -> gfx
# app composes the game; platform (window, display, pad, settings, files), audio and
# diagnostics (the benchmark's probes, linked only into its build) sit beside the game's
# layers and know nothing of its states. Lists every #include "folder/..." that runs another
# way, or a file in no layer, and fails if there is any. There are no exceptions by file.
# usage: tools/layers/check_layers.sh [src folder]   (default: src)
src=${1:-src}
[ -d "$src" ] || { echo "check_layers: no folder $src" >&2; exit 2; }
find "$src" -name '*.h' -o -name '*.cpp' | sort | while read -r file; do
    sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([a-z]*\)\/.*".*/\1/p' "$file" |
        sed "s|^|$file |"
done | awk -v src="$src" '
    BEGIN {
        # The layers each folder may include, its own always among them.
        allowed["gfx"] = "gfx"
        allowed["scene"] = "scene gfx"
        allowed["effects"] = "effects gfx"
        allowed["audio"] = "audio gfx"
        allowed["platform"] = "platform gfx"
        allowed["diagnostics"] = "diagnostics gfx"
        allowed["states"] = "states scene effects gfx"
        allowed["app"] = "app states scene effects audio platform diagnostics gfx"
    }
    {
        file = $1; target = $2
        rel = substr(file, length(src) + 2)
        layer = rel; sub(/\/.*/, "", layer)
        if (!(target in allowed)) next # not a folder of src (a test helper, say)
        if (!(layer in allowed)) { print file ": in no layer"; bad = 1; next }
        n = split(allowed[layer], ok, " ")
        fine = 0
        for (i = 1; i <= n; ++i) if (ok[i] == target) fine = 1
        if (!fine) { print file ": " layer " includes " target; bad = 1 }
    }
    END { exit bad }
'
