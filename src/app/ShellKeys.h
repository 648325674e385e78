#pragma once
#include <functional>

namespace drifthold {

class Audio;

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

// The shell's keys at work: full screen, the screenshot of the next frame, and the sound's
// volume and mute. They act silently, and the key still goes its usual way to the states.
class ShellKeys {
public:
    // Each volume key moves the volume by this many percent, within 0 to 100.
    static constexpr int kVolumeStep = 10;

    ShellKeys(Audio& audio, std::function<void()> toggleFullscreen);

    void handle(int key, int action, int mods);
    // True once for each F12: the frame just drawn is to be saved.
    bool takeScreenshotRequest();

private:
    Audio& audio_;
    std::function<void()> toggleFullscreen_;
    bool screenshotWanted_ = false;
};

// The volume in whole percent, as the settings keep it, and back.
int volumePercent(float volume);
float volumeGain(int percent);

} // namespace drifthold
