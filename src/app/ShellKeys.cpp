#include "app/ShellKeys.h"

#include <GLFW/glfw3.h>

namespace drifthold {

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

} // namespace drifthold
