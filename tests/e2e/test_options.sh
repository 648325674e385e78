#!/usr/bin/env bash
# Around the game, as a player meets it: the command line, the settings file, full screen
# (F11) with its letterbox, and screenshots (F12). None of it writes on stdout: every run
# shows the start-up transcript alone.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1" 1280x1024

# cli ARGS...: the game with no display at all, so any window it tried would fail; sets
# CLI_STATUS, with its output in $E2E_TMP/cli.out and cli.err.
cli() {
    CLI_STATUS=0
    env -u DISPLAY "$GAME" "$@" </dev/null >"$E2E_TMP/cli.out" 2>"$E2E_TMP/cli.err" ||
        CLI_STATUS=$?
}

cli --help
[ "$CLI_STATUS" -eq 0 ] && [ ! -s "$E2E_TMP/cli.err" ] || e2e_fail "--help: status $CLI_STATUS"
[ "$(head -n 1 "$E2E_TMP/cli.out")" = "Usage: drifthold [OPTION]..." ] || e2e_fail "--help: no usage"
for option in --fullscreen --windowed --mute --no-vsync --render-size --render-scale --help \
    --version; do
    grep -q -- "$option" "$E2E_TMP/cli.out" || e2e_fail "--help does not list $option"
done
cp "$E2E_TMP/cli.out" "$E2E_TMP/usage"
cli --version
[ "$CLI_STATUS" -eq 0 ] && [ ! -s "$E2E_TMP/cli.err" ] &&
    grep -qxE 'drifthold [0-9]+\.[0-9]+\.[0-9]+' "$E2E_TMP/cli.out" || e2e_fail "--version"
for bad in --bogus --fullscreen=yes -x fullscreen; do
    cli "$bad"
    [ "$CLI_STATUS" -eq 2 ] && [ ! -s "$E2E_TMP/cli.out" ] || e2e_fail "$bad: status $CLI_STATUS"
    head -n 1 "$E2E_TMP/cli.err" | grep -qF -- "${bad%%=*}" &&
        head -n 1 "$E2E_TMP/cli.err" | grep -q "^drifthold: " || e2e_fail "$bad: no error line"
    tail -n +2 "$E2E_TMP/cli.err" | diff -q - "$E2E_TMP/usage" >/dev/null || e2e_fail "$bad: no usage"
done
# A bad value for the render size is one line naming it, and no window.
cli --render-scale 300
[ "$CLI_STATUS" -eq 2 ] && [ ! -s "$E2E_TMP/cli.out" ] && [ "$(wc -l <"$E2E_TMP/cli.err")" -eq 1 ] &&
    grep -q "^drifthold: option '--render-scale' .*'300'$" "$E2E_TMP/cli.err" ||
    e2e_fail "--render-scale 300: status $CLI_STATUS, $(cat "$E2E_TMP/cli.err")"

startup_transcript >"$E2E_TMP/transcript"
settings="$XDG_CONFIG_HOME/drifthold/settings"

# window_size: the game window's size as the X server has it.
window_size() {
    xdotool getwindowgeometry "$GAME_WINDOW" | awk '/Geometry:/ { print $2 }'
}
# wait_size SIZE: until the window has that size (the server answers asynchronously).
wait_size() {
    local i
    for i in $(seq 1 50); do
        [ "$(window_size)" = "$1" ] && return 0
        sleep 0.1
    done
    e2e_fail "the window is $(window_size), not $1"
}
# region_peak GEOMETRY: the brightest channel value in that part of the screen, 0..255.
region_peak() {
    import -window root "$E2E_TMP/screen.png" || e2e_fail "no screenshot of the screen"
    convert "$E2E_TMP/screen.png" -crop "$1" +repage -format '%[fx:int(255*maxima)]' info:
}

# A corrupt settings file: one line on stderr, the defaults, and the transcript unchanged.
mkdir -p "$(dirname "$settings")"
printf 'version = 1\nfullscreen = maybe\n' >"$settings"
play_game "$GAME" "$E2E_ROOT"
[ "$(grep -c 'settings' "$GAME_OUT.err")" -eq 1 ] || e2e_fail "not one line about the settings"
wait_size 1024x768

# Full screen: the window covers the screen and the frame fills the 1280x960 letterbox, with
# black bars of 32 rows above and below; F11 again gives the window back at its size.
keys F11
wait_size 1280x1024
sleep 1
[ "$(region_peak 1280x30+0+1)" -eq 0 ] && [ "$(region_peak 1280x30+0+993)" -eq 0 ] ||
    e2e_fail "the bars above and below the frame are not black"
[ "$(region_peak 1280x900+0+62)" -gt 100 ] || e2e_fail "the frame does not fill the letterbox"
keys F11
wait_size 1024x768
keys F11
wait_size 1280x1024

# F12: a PNG of the frame in the pictures folder, named on stderr.
keys F12
shot=""
for _ in $(seq 1 50); do
    shot="$(find "$XDG_PICTURES_DIR/Drifthold" -name 'drifthold-*.png' 2>/dev/null | head -n 1)"
    [ -n "$shot" ] && break
    sleep 0.1
done
[ -n "$shot" ] || e2e_fail "F12 wrote no screenshot"
sleep 0.5
grep -qF "$shot" "$GAME_OUT.err" || e2e_fail "stderr does not name $shot"
[ "$(identify -format '%wx%h' "$shot")" = 1280x1024 ] || e2e_fail "the screenshot is not 1280x1024"
import -window root "$E2E_TMP/screen.png"
psnr="$(compare -metric PSNR "$shot" "$E2E_TMP/screen.png" null: 2>&1 | cut -d' ' -f1)"
awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 > 20) }' ||
    e2e_fail "the screenshot does not show the frame (PSNR $psnr dB against the screen)"

quit_with_escape 20
expect_status 0
expect_stdout "$E2E_TMP/transcript"
grep -qx 'fullscreen = yes' "$settings" || e2e_fail "full screen was not kept in the settings"

# The next start finds it again; an option wins over it for one run and changes nothing.
play_game "$GAME" "$E2E_ROOT"
wait_size 1280x1024
quit_with_escape 20
expect_stdout "$E2E_TMP/transcript"
play_game "$GAME" "$E2E_ROOT" 40 --windowed
wait_size 1024x768
quit_with_escape 20
expect_stdout "$E2E_TMP/transcript"
grep -qx 'fullscreen = yes' "$settings" || e2e_fail "a run with --windowed changed the settings"
echo "PASS: options, settings, full screen and screenshots"
