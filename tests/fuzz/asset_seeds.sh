#!/usr/bin/env bash
# Turns every model under Assets/Models into one fuzz seed for load_model_fuzzer: the
# OBJ, its material library and its first diffuse image, joined by the fuzzer's
# separator, with the library and image renamed to the names the fuzzer writes.
# Usage: asset_seeds.sh OUTDIR [MAXBYTES]. Seeds above MAXBYTES (default 64 KiB) are left
# out: big inputs only slow every mutation down.
set -euo pipefail
out="$1"
max="${2:-65536}"
root="$(cd "$(dirname "$0")/../.." && pwd)"
mkdir -p "$out"
[ -d "$root/Assets/Models" ] || exit 0

count=0
# keep_if_small SEED: a seed larger than the fuzzer reads is dropped, else counted.
keep_if_small() {
    if [ "$(stat -c %s "$1")" -gt "$max" ]; then
        rm -f "$1"
    else
        count=$((count + 1))
    fi
}
while IFS= read -r -d '' obj; do
    dir="$(dirname "$obj")"
    mtl="$(sed -n 's/^mtllib[[:space:]]\+\([^[:space:]]*\).*/\1/p' "$obj" | head -n 1 | tr -d '\r')"
    image=""
    if [ -n "$mtl" ] && [ -f "$dir/$mtl" ]; then
        image="$(sed -n 's/^[[:space:]]*map_Kd.*[[:space:]]\([^[:space:]]*\)[[:space:]]*$/\1/p' \
            "$dir/$mtl" | head -n 1 | tr -d '\r')"
    fi
    seed="$out/asset_$(basename "$dir")_$(basename "$obj" .obj)"
    {
        sed 's/^mtllib[[:space:]].*/mtllib m.mtl/' "$obj"
        printf '\n@@@@\n'
        if [ -n "$mtl" ] && [ -f "$dir/$mtl" ]; then
            sed 's/^\([[:space:]]*map_Kd.*[[:space:]]\)[^[:space:]]*[[:space:]]*$/\1t.img/' "$dir/$mtl"
        fi
        printf '\n@@@@\n'
        if [ -n "$image" ] && [ -f "$dir/$image" ]; then cat "$dir/$image"; fi
    } >"$seed"
    keep_if_small "$seed"
done < <(find "$root/Assets/Models" -name '*.obj' -print0 | sort -z)
# Sprite images, as the texture of a one-triangle model.
while IFS= read -r -d '' image; do
    seed="$out/asset_image_$(basename "$image")"
    {
        printf 'mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\nvt 0 1\n'
        printf 'usemtl DefaultMaterial\nf 1/1 2/2 3/3\n@@@@\nnewmtl DefaultMaterial\n'
        printf 'map_Kd t.img\n\n@@@@\n'
        cat "$image"
    } >"$seed"
    keep_if_small "$seed"
done < <(find "$root/Assets/Images" -type f -print0 2>/dev/null | sort -z)
echo "asset seeds: $count (of at most $max bytes) in $out"
