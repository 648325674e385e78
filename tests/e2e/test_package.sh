#!/usr/bin/env bash
# The .deb as a player gets it: cpack in the game's build folder, the package unpacked
# into a scratch root (dpkg -x, no root needed), and the launcher started through PATH
# from an unrelated folder. It must find the game and its data from its own location:
# the start-up transcript line for line, a window the menu entry can match, and Escape
# for status 0. Also: only the game and its data (sounds included) are packed, and
# Depends names the libraries it links, OpenAL and libsndfile among them.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1" no-display

(cd "$(dirname "$GAME")" && cpack -G DEB -B "$E2E_TMP/pkg") >"$E2E_TMP/cpack.log" 2>&1 || {
    cat "$E2E_TMP/cpack.log" >&2
    e2e_fail "cpack failed"
}
debs=("$E2E_TMP"/pkg/drifthold_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || e2e_fail "cpack wrote no single drifthold_*.deb"
deb="${debs[0]}"

dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\.\//, "", $6); print $6 }' >"$E2E_TMP/files.txt"
allowed='^usr/(games/drifthold|lib/games/drifthold/drifthold|share/games/drifthold/Assets/.+'
allowed+='|share/applications/[^/]+\.desktop|share/metainfo/[^/]+\.metainfo\.xml'
allowed+='|share/icons/hicolor/[0-9]+x[0-9]+/apps/[^/]+\.png|share/man/man6/drifthold\.6\.gz'
allowed+='|share/doc/drifthold/(copyright|changelog\.gz))$'
if grep -vE "$allowed" "$E2E_TMP/files.txt" >"$E2E_TMP/stray.txt"; then
    cat "$E2E_TMP/stray.txt" >&2
    e2e_fail "the package holds more than the game and its data (above)"
fi

depends="$(dpkg-deb -f "$deb" Depends)"
for lib in libglfw3 libglew libassimp libfreeimage libopengl0 libopenal1 libsndfile1; do
    [[ "$depends" == *"$lib"* ]] || e2e_fail "Depends lacks $lib: $depends"
done

root="$(realpath "$E2E_TMP")/root"
dpkg -x "$deb" "$root" || e2e_fail "dpkg -x failed"
diff -r "$E2E_ROOT/Assets" "$root/usr/share/games/drifthold/Assets" >&2 ||
    e2e_fail "the packaged Assets differ from the repository's (above)"

start_xvfb
elsewhere="$E2E_TMP/elsewhere"
mkdir -p "$elsewhere"
export PATH="$root/usr/games:$PATH"
play_game drifthold "$elsewhere"
sleep 1
startup_transcript >"$E2E_TMP/expected.txt"
expect_stdout "$E2E_TMP/expected.txt"

# The launcher hands over to the packaged binary, in the packaged data folder.
[ "$(readlink "/proc/$GAME_PID/exe")" = "$root/usr/lib/games/drifthold/drifthold" ] ||
    e2e_fail "the running game is $(readlink "/proc/$GAME_PID/exe"), not the packaged one"
[ "$(readlink "/proc/$GAME_PID/cwd")" = "$root/usr/share/games/drifthold" ] ||
    e2e_fail "the game runs in $(readlink "/proc/$GAME_PID/cwd"), not the data folder"

# Docks tie the window to the menu entry through its class.
class="$(sed -n 's/^StartupWMClass=//p' "$root"/usr/share/applications/*.desktop)"
timeout 5 xprop -id "$GAME_WINDOW" WM_CLASS | grep -qF "\"$class\"" ||
    e2e_fail "window class $(xprop -id "$GAME_WINDOW" WM_CLASS) does not match StartupWMClass=$class"

quit_with_escape 20
expect_status 0
expect_stdout "$E2E_TMP/expected.txt"
echo "PASS: packaged game started by its launcher"
