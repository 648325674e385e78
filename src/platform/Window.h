#pragma once
#include "gfx/SharedConstants.h"
#include "gfx/gl.h"

#include <GLFW/glfw3.h>

namespace drifthold {

// Initialises GLFW and opens the 1024x768 "Drifthold" window with a 3.3 core context
// made current. Any failure is fatal. Tests pass visible = false.
GLFWwindow* openGameWindow(bool visible = true);

// glewInit plus the four entry points the game fetches by name.
void loadGLEntryPoints();

} // namespace drifthold
