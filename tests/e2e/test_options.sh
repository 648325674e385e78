#!/usr/bin/env bash
# Around the game, as a player meets it: the command line, the settings file across runs
# (what each start reads and plays with, what each end keeps, options kept for one run
# only), full screen (F11) with its letterbox, screenshots (F12), and sound that is never
# fatal (no device, no sound files) with its keys. None of it writes on stdout: every run
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
[ "$CLI_STATUS" -eq 0 ] && [ ! -s "$E2E_TMP/cli.err" ] &&
    [ "$(head -n 1 "$E2E_TMP/cli.out")" = "Usage: drifthold [OPTION]..." ] ||
    e2e_fail "--help: status $CLI_STATUS, no usage"
cp "$E2E_TMP/cli.out" "$E2E_TMP/usage"
cli --bogus
[ "$CLI_STATUS" -eq 2 ] && [ ! -s "$E2E_TMP/cli.out" ] &&
    [ "$(head -n 1 "$E2E_TMP/cli.err")" = "drifthold: unknown option '--bogus'" ] &&
    tail -n +2 "$E2E_TMP/cli.err" | cmp -s - "$E2E_TMP/usage" ||
    e2e_fail "--bogus: status $CLI_STATUS, not one line and the usage on stderr"

startup_transcript >"$E2E_TMP/transcript"
settings="$XDG_CONFIG_HOME/drifthold/settings"

# quit_cleanly: Escape ends the game with status 0, the transcript alone on stdout.
quit_cleanly() {
    quit_with_escape 20
    expect_status 0
    expect_stdout "$E2E_TMP/transcript"
}
# expect_kept LINE...: the settings file holds each line as the last run left it.
expect_kept() {
    local line
    for line in "$@"; do
        grep -qx "$line" "$settings" || e2e_fail "not kept: '$line' in $(tr '\n' ' ' <"$settings")"
    done
}
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

# A corrupt settings file and no audio device: one line on stderr for each, and the game
# plays on the defaults.
mkdir -p "$(dirname "$settings")"
printf 'version = 1\nfullscreen = maybe\n' >"$settings"
ALSOFT_DRIVERS=no-such-driver play_game "$GAME" "$E2E_ROOT"
wait_size 1024x768
[ "$(grep -c 'settings' "$GAME_OUT.err")" -eq 1 ] && [ "$(wc -l <"$GAME_OUT.err")" -eq 2 ] &&
    grep -qx 'drifthold: no audio device opened; the game plays on without sound' "$GAME_OUT.err" ||
    e2e_fail "not one line about the settings and one about the missing device"

# Full screen: the window covers the screen and the frame fills the 1280x960 letterbox, with
# black bars of 32 rows above and below; F11 again gives the window back at its size.
keys F11
wait_size 1280x1024
# The first frame at the new size can take a while (the renderer builds new shader
# variants; a sanitizer build is slower still): poll until it is shown.
bars_black() { [ "$(region_peak 1280x30+0+1)" -eq 0 ] && [ "$(region_peak 1280x30+0+993)" -eq 0 ]; }
framed() { [ "$(region_peak 1280x900+0+62)" -gt 100 ]; }
for _ in $(seq 1 50); do framed && bars_black && break; sleep 0.2; done
framed || e2e_fail "the frame does not fill the letterbox"
bars_black || e2e_fail "the bars above and below the frame are not black"
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

# The sound keys work without a device to hear them: F8 mutes, F6 and F7 step the volume by
# tenths within 0 to 100. All of it, and full screen, is kept for the next start. A quarter
# turn (Up) plays its sound, harmlessly, into no device.
keys F8 F6 F7 F7 Up
quit_cleanly
expect_kept 'fullscreen = yes' 'window-size = 1024x768' 'volume = 100' 'mute = yes'

# The next start reads every setting, here edited by hand: full screen first, the window's
# own size on F11, muted (F8 gives the sound back), a volume of 30 that F7 steps to 40. The
# render size asked for on the command line holds for this run only. Without sound files:
# one line naming the folder.
sed -i -e 's/^volume = .*/volume = 30/' -e 's/^window-size = .*/window-size = 800x600/' "$settings"
silent="$(assets_copy no-sounds)"
rm -rf "$silent/Assets/Sounds"
play_game "$GAME" "$silent" 40 --render-size window
wait_size 1280x1024
keys F11
wait_size 800x600
keys F8 F7 Up
quit_cleanly
# (GLFW says on stderr too that full screen cannot be iconified without a window manager.)
[ "$(grep -c '^drifthold: ' "$GAME_OUT.err")" -eq 1 ] && grep -q 'Assets/Sounds' "$GAME_OUT.err" ||
    e2e_fail "without sound files, stderr is not one line naming the folder"
expect_kept 'fullscreen = no' 'window-size = 800x600' 'volume = 40' 'mute = no' 'render-size = fixed'

# Options play for one run and change nothing that is kept.
play_game "$GAME" "$E2E_ROOT" 40 --fullscreen --mute
wait_size 1280x1024
quit_cleanly
expect_kept 'fullscreen = no' 'mute = no'
echo "PASS: options, settings across runs, full screen, screenshots and sound keys"
