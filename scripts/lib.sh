# Playing the real game under a private Xvfb: the server, the game binary, XTEST key
# presses through xdotool and bounded waits. Sourced by scripts/{demo,bench,soak}.sh and,
# through tests/e2e/lib.sh, by the end-to-end tests. Every wait here has a limit, so
# nothing can hang.

E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
E2E_TMP=""
XVFB_PID=""
GAME_PID=""
GAME_WINDOW=""
GAME_OUT=""

e2e_fail() {
    echo "FAIL: $*" >&2
    if [ -n "$GAME_OUT" ] && [ -f "$GAME_OUT" ]; then
        echo "--- game stdout ---" >&2
        tail -n 40 "$GAME_OUT" >&2
    fi
    if [ -n "$GAME_OUT" ] && [ -s "$GAME_OUT.err" ]; then
        echo "--- game stderr ---" >&2
        tail -n 20 "$GAME_OUT.err" >&2
    fi
    exit 1
}

e2e_cleanup() {
    if [ -n "$GAME_PID" ] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
    fi
    if [ -n "$XVFB_PID" ] && kill -0 "$XVFB_PID" 2>/dev/null; then
        kill "$XVFB_PID" 2>/dev/null
        wait "$XVFB_PID" 2>/dev/null
    fi
    if [ -n "$E2E_TMP" ] && [ -d "$E2E_TMP" ] && [ -z "${E2E_KEEP:-}" ]; then
        rm -rf "$E2E_TMP"
    fi
}

# e2e_init: a scratch folder and the clean-up on every way out. The game reads and writes
# its settings and screenshots there, never in the player's own folders, and its sound goes
# to a silent device unless ALSOFT_DRIVERS says otherwise.
e2e_init() {
    E2E_TMP="$(mktemp -d "${TMPDIR:-/tmp}/drifthold-e2e.XXXXXX")"
    trap e2e_cleanup EXIT
    trap 'exit 130' INT TERM
    export XDG_CONFIG_HOME="$E2E_TMP/config"
    export XDG_PICTURES_DIR="$E2E_TMP/Pictures"
    # Sound goes through OpenAL's silent device: the game plays it, nobody hears it.
    export ALSOFT_DRIVERS="${ALSOFT_DRIVERS:-null}"
}

# start_xvfb [WIDTHxHEIGHT]: a private X server, 1024x768 unless told, on a display number
# that Xvfb itself picks as free, so parallel tests never collide. Exports DISPLAY.
# -noreset: otherwise the server resets whenever its last client leaves, and a client that
# connects meanwhile (the game, right after a probe or a previous game) is refused.
start_xvfb() {
    local fdfile="$E2E_TMP/display" size="${1:-1024x768}"
    : >"$fdfile"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fdfile" \
        >"$E2E_TMP/xvfb.log" 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 100); do
        if [ -s "$fdfile" ]; then
            export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
            # The number comes as soon as the sockets exist; wait until the server
            # really answers a client before the game tries to open its window.
            local j
            for j in $(seq 1 50); do
                timeout 5 xdpyinfo >/dev/null 2>&1 && return 0
                sleep 0.1
            done
            cat "$E2E_TMP/xvfb.log" >&2
            e2e_fail "Xvfb on $DISPLAY does not answer"
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    cat "$E2E_TMP/xvfb.log" >&2
    e2e_fail "Xvfb did not start"
}

# start_game BINARY WORKDIR [ARGS...]: the game in WORKDIR (which holds Assets), stdin closed,
# stdout into $GAME_OUT, stderr beside it.
start_game() {
    local binary="$1" workdir="$2"
    shift 2
    GAME_OUT="$E2E_TMP/stdout.txt"
    : >"$GAME_OUT"
    (cd "$workdir" && exec "$binary" "$@" </dev/null >"$GAME_OUT" 2>"$GAME_OUT.err") &
    GAME_PID=$!
}

# wait_window [SECONDS]: the window titled "Drifthold"; sets GAME_WINDOW. Gives up
# early when the game has already ended.
wait_window() {
    local limit="${1:-30}" i
    for i in $(seq 1 $((limit * 5))); do
        GAME_WINDOW="$(xdotool search --onlyvisible --name '^Drifthold$' 2>/dev/null | head -n 1)"
        [ -n "$GAME_WINDOW" ] && return 0
        kill -0 "$GAME_PID" 2>/dev/null || e2e_fail "the game ended before its window appeared"
        sleep 0.2
    done
    e2e_fail "no window titled Drifthold within ${limit}s"
}

# play_game BINARY WORKDIR [SECONDS [ARGS...]]: the game started, its window up, its start-up
# transcript written (all four framebuffers) and its window focused, within SECONDS.
play_game() {
    local limit="${3:-40}"
    start_game "$1" "$2" "${@:4}"
    wait_window "$limit"
    wait_for_lines '^Framebuffer successfully initialized!$' 4 "$limit"
    focus_window
}

# focus_window: there is no window manager, so focus is set directly; key presses
# then go through XTEST to the focused window, as a real keyboard's would.
focus_window() {
    timeout 10 xdotool windowfocus --sync "$GAME_WINDOW" ||
        e2e_fail "could not focus the game window"
}

# keys KEY...: presses and releases each key in turn.
keys() {
    timeout 30 xdotool key --delay 80 "$@" || e2e_fail "xdotool key $* failed"
}

# hold_key KEY SECONDS: held down, as a player holds a camera key.
hold_key() {
    timeout 10 xdotool keydown "$1" || e2e_fail "xdotool keydown $1 failed"
    sleep "$2"
    timeout 10 xdotool keyup "$1" || e2e_fail "xdotool keyup $1 failed"
}

# count_lines REGEX: lines of the game's stdout matching REGEX (extended).
count_lines() {
    grep -cE "$1" "$GAME_OUT" 2>/dev/null || true
}

# wait_for_lines REGEX COUNT [SECONDS]: until stdout holds COUNT lines matching REGEX.
wait_for_lines() {
    local regex="$1" count="$2" limit="${3:-30}" i
    for i in $(seq 1 $((limit * 10))); do
        [ "$(count_lines "$regex")" -ge "$count" ] && return 0
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    [ "$(count_lines "$regex")" -ge "$count" ] && return 0
    e2e_fail "expected $count line(s) matching '$regex' within ${limit}s"
}

# wait_exit SECONDS: waits for the game to end; sets GAME_STATUS. Kills it and fails
# when it is still running after SECONDS.
wait_exit() {
    local limit="$1" i
    for i in $(seq 1 $((limit * 10))); do
        kill -0 "$GAME_PID" 2>/dev/null || break
        sleep 0.1
    done
    if kill -0 "$GAME_PID" 2>/dev/null; then
        kill -9 "$GAME_PID" 2>/dev/null
        wait "$GAME_PID" 2>/dev/null
        GAME_PID=""
        e2e_fail "the game did not end within ${limit}s"
    fi
    GAME_STATUS=0
    wait "$GAME_PID" || GAME_STATUS=$?
    GAME_PID=""
}

# quit_with_escape: Escape is tested after each swap, so it is held until the game ends.
quit_with_escape() {
    timeout 10 xdotool keydown Escape || e2e_fail "xdotool keydown Escape failed"
    wait_exit "${1:-20}"
    timeout 5 xdotool keyup Escape 2>/dev/null || true
}

# expect_status N
expect_status() {
    [ "$GAME_STATUS" -eq "$1" ] || e2e_fail "exit status $GAME_STATUS, expected $1"
}
