#pragma once

namespace drifthold {

// Keys the shell answers itself, before the states see them.
enum class ShellKey {
    None,
    ToggleFullscreen, // F11, or Alt+Enter
    Screenshot,       // F12
    VolumeDown,       // F6
    VolumeUp,         // F7
    ToggleMute,       // F8
};

// What a key event from GLFW's key callback asks of the shell. Presses only: a held key
// repeats, and a release is the state's (-1).
ShellKey shellKeyFor(int key, int action, int mods);

} // namespace drifthold
