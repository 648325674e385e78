#!/bin/sh
# Regenerates every asset into a scratch folder, demands byte-identical copies of the
# committed ones under Assets/ and of the icons under packaging/icons/, then checks what
# the game's loader and the icon theme rely on.
# usage: tools/assetgen/check_assets.sh <assetgen binary>   (from the repository root)
set -u
gen=$1
here=$(dirname "$0")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail=0
problem() { echo "$*"; fail=1; }

icons=packaging/icons
"$gen" "$tmp/Assets" "$tmp/$icons" >/dev/null || { echo "assetgen failed"; exit 1; }

# Same bytes, and nothing committed that the generator no longer writes.
for f in $(cd "$tmp" && find Assets "$icons" -type f | sort); do
    cmp -s "$tmp/$f" "$f" || problem "$f differs from a fresh run of assetgen (run make assets)"
done
sounds="engine turn chime crash-meteor crash-trail click"
for f in $(find Assets/Models Assets/Shader Assets/Sounds "$icons" -type f | sort) Assets/Images/particle.jpg \
         $(for s in $sounds; do echo "Assets/Sounds/$s.wav"; done); do
    [ -f "$tmp/$f" ] || problem "$f is not written by assetgen"
done

# Sounds: what the game's decoder accepts and OpenAL places in space. A canonical WAV
# header for 16-bit PCM, one channel, 44100 Hz (88200 bytes a second, 2 a frame), whose
# RIFF and data sizes agree with the file's length.
for s in $sounds; do
    wav=$tmp/Assets/Sounds/$s.wav
    [ -f "$wav" ] || continue
    riff=$(od -An -tx1 -N4 "$wav" | tr -d ' \n')
    format=$(od -An -tx1 -j8 -N32 "$wav" | tr -d ' \n')
    # WAVE, "fmt ", 16 bytes of format, PCM, mono, 44100, 88200, 2, 16 bits, "data"
    expect="57415645""666d7420""10000000""0100""0100""44ac0000""88580100""0200""1000""64617461"
    [ "$riff" = 52494646 ] && [ "$format" = "$expect" ] ||
        problem "Assets/Sounds/$s.wav: not a 16-bit mono 44.1 kHz PCM WAV"
    size=$(wc -c < "$wav")
    set -- $(od -An -tu4 -j4 -N4 "$wav") $(od -An -tu4 -j40 -N4 "$wav")
    [ "$1" -eq $((size - 8)) ] && [ "$2" -eq $((size - 44)) ] ||
        problem "Assets/Sounds/$s.wav: RIFF size $1 or data size $2 disagrees with $size bytes"
done

# An icon theme files icons by their size: each must be an RGBA PNG (colour type 6)
# exactly as large as the folder it sits in says.
for png in $(find "$tmp/$icons" -name '*.png' | sort); do
    dir=$(basename "$(dirname "$(dirname "$png")")")
    head=$(od -An -tx1 -N26 "$png" | tr -d ' \n')
    side=$(printf '%08x' "${dir%%x*}")
    [ "$head" = "89504e470d0a1a0a0000000d49484452${side}${side}0806" ] ||
        problem "${png#"$tmp"/}: not an RGBA PNG of $dir"
done
[ "$(find "$tmp/$icons" -name '*.png' | wc -l)" -ge 6 ] || problem "fewer than six icon sizes"

# The checker itself must notice a quad, a flipped face and a missing normal index.
cat > "$tmp/bad.obj" <<'OBJ'
o bad
v 0 0 0
v 1 0 0
v 0 1 0
v 1 1 0
vt 0 0
vn 0 0 1
usemtl m
f 1/1/1 2/1/1 4/1/1 3/1/1
f 1/1/1 3/1/1 2/1/1
f 1/1/1 2/1/1 4/1
OBJ
[ "$(awk -f "$here/check_models.awk" "$tmp/bad.obj" | wc -l)" -eq 3 ] ||
    problem "check_models.awk misses faults in a broken model"

m=$tmp/Assets/Models
check() { obj=$1; shift; awk "$@" -f "$here/check_models.awk" "$obj" || fail=1; }
check "$m/StarSphere/StarSphere.obj" -v facing=in
check "$m/spaceship/cockpit.obj" -v facing=origin -v minx=0.55
check "$m/spaceship/spaceshipTextured.obj" -v minx=-1 -v maxx=1.650000
for f in SpaceCube/SpaceCube_narrow Meteor/Meteor SpaceJunk/oildrum SpaceJunk/slab \
         SpaceJunk/satellite ground; do
    check "$m/$f.obj"
done

# Materials: the colours the game reads and a bare texture name that exists beside it.
for mtl in $(find "$m" -name '*.mtl' | sort); do
    for key in Kd Ka Ks Ke Ns map_Kd; do
        grep -q "^$key " "$mtl" || problem "$mtl lacks $key"
    done
    awk '$1 == "Ns" && ($2 < 0 || $2 > 128) { exit 1 }' "$mtl" || problem "$mtl: Ns outside 0..128"
    tex=$(awk '$1 == "map_Kd" { print $2 }' "$mtl")
    case $tex in */* | *\\*) problem "$mtl: map_Kd '$tex' is not a bare file name" ;; esac
    [ -f "$(dirname "$mtl")/$tex" ] || problem "$mtl: texture $tex is missing"
done
for img in $(find "$tmp/Assets" -name '*.jpg' | sort); do
    [ "$(od -An -tx1 -N3 "$img" | tr -d ' ')" = "ffd8ff" ] || problem "$img is not a JPEG"
done

kb=$(du -sk Assets | cut -f1)
[ "$kb" -lt 8192 ] || problem "Assets/ holds $kb KiB, more than 8 MiB"
kb=$(du -sk Assets/Sounds | cut -f1)
[ "$kb" -lt 1024 ] || problem "Assets/Sounds holds $kb KiB, more than 1 MiB"
exit $fail
