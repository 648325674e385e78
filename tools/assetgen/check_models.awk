# Structural check of one generated OBJ, as the game's loader sees it.
# usage: awk -v facing=out|in|origin [-v minx=.. -v maxx=..] -f check_models.awk file.obj
# Prints one line per fault and exits 1 if there was any.
function fault(msg) { print FILENAME ": " msg; bad = 1 }
function corner(spec, k,    parts) {
    if (split(spec, parts, "/") != 3 || parts[1] !~ /^[0-9]+$/ || parts[2] !~ /^[0-9]+$/ ||
        parts[3] !~ /^[0-9]+$/) {
        fault("line " NR ": corner '" spec "' is not v/vt/vn")
        return 0
    }
    if (parts[1] < 1 || parts[1] > nv || parts[2] < 1 || parts[2] > nt || parts[3] < 1 || parts[3] > nn) {
        fault("line " NR ": index out of range in '" spec "'")
        return 0
    }
    P[k] = parts[1]; N[k] = parts[3]
    return 1
}
$1 == "v"  { nv++; X[nv] = $2; Y[nv] = $3; Z[nv] = $4
             if (nv == 1 || $2 < lox) lox = $2; if (nv == 1 || $2 > hix) hix = $2; next }
$1 == "vt" { nt++; next }
$1 == "vn" { nn++; NX[nn] = $2; NY[nn] = $3; NZ[nn] = $4; next }
$1 == "o"  { objects++; next }
$1 == "usemtl" { materials++; next }
$1 == "f" {
    faces++
    if (NF != 4) { fault("line " NR ": face with " (NF - 1) " corners"); next }
    if (!corner($2, 1) || !corner($3, 2) || !corner($4, 3)) next
    ax = X[P[2]] - X[P[1]]; ay = Y[P[2]] - Y[P[1]]; az = Z[P[2]] - Z[P[1]]
    bx = X[P[3]] - X[P[1]]; by = Y[P[3]] - Y[P[1]]; bz = Z[P[3]] - Z[P[1]]
    gx = ay * bz - az * by; gy = az * bx - ax * bz; gz = ax * by - ay * bx
    # The winding must agree with the normals the faces are lit with.
    sx = NX[N[1]] + NX[N[2]] + NX[N[3]]; sy = NY[N[1]] + NY[N[2]] + NY[N[3]]
    sz = NZ[N[1]] + NZ[N[2]] + NZ[N[3]]
    if (gx * sx + gy * sy + gz * sz <= 0) wrongWinding++
    cx = (X[P[1]] + X[P[2]] + X[P[3]]) / 3; cy = (Y[P[1]] + Y[P[2]] + Y[P[3]]) / 3
    cz = (Z[P[1]] + Z[P[2]] + Z[P[3]]) / 3
    d = gx * cx + gy * cy + gz * cz
    if (facing == "in" && d >= 0) wrongFacing++
    if (facing == "origin" && d >= 0) wrongFacing++
    next
}
END {
    if (objects != 1) fault(objects + 0 " objects, want 1")
    if (materials != 1) fault(materials + 0 " usemtl lines, want 1")
    if (faces == 0) fault("no faces")
    if (wrongWinding) fault(wrongWinding " faces wound against their normals")
    if (wrongFacing) fault(wrongFacing " faces turned away from " (facing == "in" ? "the centre" : "the origin"))
    if (minx != "" && (lox < minx - 0.05 || lox > minx + 0.05)) fault("min x " lox ", want about " minx)
    if (maxx != "" && hix != maxx) fault("max x " hix ", want exactly " maxx)
    exit bad
}
