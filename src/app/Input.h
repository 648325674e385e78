#pragma once
#include "gfx/gl.h"
#include "states/GameContext.h"

#include <GLFW/glfw3.h>

#include <memory>

namespace drifthold {

class ShaderProgram;
class State;

// Builds the basic program (current from then on), registers both callbacks for `window`
// and sets the context's program and flags. The caller owns the program.
std::unique_ptr<ShaderProgram> initContext(GLFWwindow* window, GameContext& context);

// What a key event does: a press of M or P makes the menu or the game current and
// activates it; any other press goes to the current state, every release as -1, and
// repeats do nothing.
void routeKey(State*& currentState, State* gameState, State* menuState, int key, int action);

// The callbacks find their Game through the window's user pointer.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void windowCloseCallback(GLFWwindow* window);

} // namespace drifthold
