# What the end-to-end tests add to scripts/lib.sh: the expected transcript, exact
# comparisons of what the game wrote, and scratch copies of the game's data.
. "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

# e2e_setup BINARY [no-display | WIDTHxHEIGHT]: the game under test as GAME, a scratch
# folder and, unless told otherwise, a private X server (of that screen size).
e2e_setup() {
    GAME="$(realpath "$1")"
    e2e_init
    case "${2:-}" in
    no-display) ;;
    "") start_xvfb ;;
    *) start_xvfb "$2" ;;
    esac
}

# expect_stdout FILE: the game's stdout, line for line.
expect_stdout() {
    diff -u "$1" "$GAME_OUT" >&2 || e2e_fail "stdout differs from the expected text (above)"
}

# startup_transcript: what a clean start writes, in order, before any key.
startup_transcript() {
    local model
    echo "Init GameState..."
    for model in 'StarSphere\StarSphere.obj' 'SpaceCube\SpaceCube_narrow.obj' \
        'spaceship\spaceshipTextured.obj' 'spaceship\cockpit.obj' \
        'Meteor\Meteor.obj' 'Meteor\Meteor.obj' 'Meteor\Meteor.obj' \
        'SpaceJunk\oildrum.obj' 'SpaceJunk\slab.obj' 'SpaceJunk\satellite.obj' \
        'ground.obj'; do
        printf 'Load model Assets\\Models\\%s\n' "$model"
        printf 'Model Assets\\Models\\%s loaded\n' "$model"
    done
    echo "Init MenuState..."
    for _ in 1 2 3 4; do
        echo "Initialize framebuffer..."
        echo "Framebuffer successfully initialized!"
    done
}

# assets_copy NAME: a working folder NAME under the scratch folder whose Assets is a
# tree of links to the real files; replace one link to break just that file.
assets_copy() {
    local dir="$E2E_TMP/$1"
    rm -rf "$dir"
    mkdir -p "$dir"
    cp -rs "$E2E_ROOT/Assets" "$dir/Assets" || e2e_fail "could not copy Assets"
    echo "$dir"
}

# run_until_end WORKDIR: starts the game there and waits for it to end by itself; a
# failing start must not wait for a key when stdin is not a terminal.
run_until_end() {
    start_game "$GAME" "$1"
    wait_exit 30
}
