#!/usr/bin/env bash
# Plays a short scripted flight under a private Xvfb and saves screenshots as PNG files
# in out/, and what it sounds like as out/demo-sound.wav (OpenAL's wave writer records the
# mix). Usage: scripts/demo.sh [build-dir]. Ends the game with Escape by itself.
set -u
cd "$(dirname "$0")/.."
build="${1:-build}"
GAME="$(realpath "$build/drifthold")"
[ -x "$GAME" ] || { echo "no game at $build/drifthold: build it first (make build)" >&2; exit 1; }
. scripts/lib.sh

shots="$PWD/out"
mkdir -p "$shots"
rm -f "$shots"/[0-9][0-9]-*.png
count=0
# shot NAME: the whole screen, which the 1024x768 window fills.
shot() {
    count=$((count + 1))
    local file
    file="$(printf '%s/%02d-%s.png' "$shots" "$count" "$1")"
    timeout 20 import -window root "$file" || e2e_fail "screenshot $1 failed"
    echo "  $file"
}

e2e_init
start_xvfb
# The mix goes to a file: there is no sound card to play it on here.
rm -f "$shots/demo-sound.wav"
printf '[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\nsample-type=int16\n[wave]\nfile=%s\n' \
    "$shots/demo-sound.wav" >"$E2E_TMP/alsoft.conf"
export ALSOFT_CONF="$E2E_TMP/alsoft.conf"
export ALSOFT_DRIVERS=wave
echo "Drifthold demo on $DISPLAY: a scripted flight, screenshots in $shots:"
play_game "$GAME" "$PWD" 60 --no-vsync
sleep 2
shot start

# The cockpit view looks out of the ship; try it before the ship has moved away.
keys 9
sleep 1.5
shot cockpit
keys 9

keys 2 # slow, straight ahead
sleep 2
shot slow-flight

keys Up 3 # a quarter turn up, medium speed
sleep 2
shot turn-up-medium

keys 8 w # the fixed-position camera, a quarter turn up: the cube from above
sleep 1.5
shot fixed-camera-above

keys s a Left 4 # the same camera from the side; the ship turns left at full speed
sleep 1.5
shot fixed-camera-side

keys 7 # back to the orbiting camera, turned while A is held
hold_key a 1.5
sleep 0.5
shot free-camera-turned

keys F3 # wireframe
sleep 1.5
shot wireframe
keys F3

keys 1 Down # stop and turn in place
sleep 1.5
shot stopped

keys 4 # full speed, then a U-turn back into the trail: the ship is reset with a crash
sleep 2
keys Left Left
sleep 2.5
shot after-trail-crash

quit_with_escape 30
[ "$GAME_STATUS" -eq 0 ] || e2e_fail "the game ended with status $GAME_STATUS"
echo "  $shots/demo-sound.wav"
echo "Demo finished: $count screenshots and the sound in $shots"
