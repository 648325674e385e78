#include "app/ShellKeys.h"

#include "audio/Audio.h"

#include <GLFW/glfw3.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace drifthold {

namespace {

constexpr int kFullVolume = 100; // percent

} // namespace

ShellKey shellKeyFor(int key, int action, int mods) {
    if (action != GLFW_PRESS)
        return ShellKey::None;
    if (key == GLFW_KEY_F11)
        return ShellKey::ToggleFullscreen;
    if ((key == GLFW_KEY_ENTER || key == GLFW_KEY_KP_ENTER) && (mods & GLFW_MOD_ALT) != 0)
        return ShellKey::ToggleFullscreen;
    if (key == GLFW_KEY_F12)
        return ShellKey::Screenshot;
    if (key == GLFW_KEY_F6)
        return ShellKey::VolumeDown;
    if (key == GLFW_KEY_F7)
        return ShellKey::VolumeUp;
    if (key == GLFW_KEY_F8)
        return ShellKey::ToggleMute;
    return ShellKey::None;
}

int volumePercent(float volume) {
    return static_cast<int>(std::lround(volume * kFullVolume));
}

float volumeGain(int percent) {
    return static_cast<float>(percent) / kFullVolume;
}

ShellKeys::ShellKeys(Audio& audio, std::function<void()> toggleFullscreen)
    : audio_(audio), toggleFullscreen_(std::move(toggleFullscreen)) {}

void ShellKeys::handle(int key, int action, int mods) {
    const ShellKey shellKey = shellKeyFor(key, action, mods);
    switch (shellKey) {
    case ShellKey::ToggleFullscreen:
        toggleFullscreen_();
        break;
    case ShellKey::Screenshot:
        screenshotWanted_ = true;
        break;
    case ShellKey::VolumeDown:
    case ShellKey::VolumeUp: {
        const int step = shellKey == ShellKey::VolumeUp ? kVolumeStep : -kVolumeStep;
        const int percent = std::clamp(volumePercent(audio_.volume()) + step, 0, kFullVolume);
        audio_.setVolume(volumeGain(percent));
        break;
    }
    case ShellKey::ToggleMute:
        audio_.setMuted(!audio_.muted());
        break;
    case ShellKey::None:
        break;
    }
}

bool ShellKeys::takeScreenshotRequest() {
    return std::exchange(screenshotWanted_, false);
}

} // namespace drifthold
