#!/usr/bin/env bash
# Sound is never a fatal ending: with no audio device, and with every sound file missing,
# the game starts with its transcript unchanged, says once on stderr what is missing, and
# ends with status 0. The sound keys print nothing on stdout.
set -u
. "$(dirname "$0")/lib.sh"
e2e_setup "$1"
startup_transcript >"$E2E_TMP/transcript"

# play_and_quit WORKDIR [KEYS...]: a start, the keys, Escape; the transcript alone on stdout.
play_and_quit() {
    local workdir="$1"
    shift
    play_game "$GAME" "$workdir"
    [ $# -eq 0 ] || keys "$@"
    sleep 0.5
    quit_with_escape 20
    expect_status 0
    expect_stdout "$E2E_TMP/transcript"
}

settings="$XDG_CONFIG_HOME/drifthold/settings"
# expect_sound_settings VOLUME MUTE
expect_sound_settings() {
    grep -qx "volume = $1" "$settings" && grep -qx "mute = $2" "$settings" ||
        e2e_fail "volume $1 and mute $2 were not kept: $(cat "$settings" 2>/dev/null)"
}

# The sound keys change only what is heard (even with no device to hear it), and the
# settings keep it: F8 mutes, F6 and F7 step the volume by tenths within 0 to 100.
ALSOFT_DRIVERS=no-such-driver play_and_quit "$E2E_ROOT" F8 F6 F7 F7
[ "$(cat "$GAME_OUT.err")" = "drifthold: no audio device opened; the game plays on without sound" ] ||
    e2e_fail "without a device, stderr is not the one line"
expect_sound_settings 100 yes

silent="$(assets_copy no-sounds)"
rm -rf "$silent/Assets/Sounds"
play_and_quit "$silent"
[ "$(wc -l <"$GAME_OUT.err")" -eq 1 ] && grep -q 'Assets/Sounds' "$GAME_OUT.err" ||
    e2e_fail "without sound files, stderr is not one line naming the folder"

# The next run starts muted, as kept; F8 brings the sound back.
play_and_quit "$E2E_ROOT" F8 F6 F6
expect_sound_settings 80 no
echo "PASS: sound without a device or files, and its keys"
