#pragma once
#include "gfx/gl.h"

#include <GLFW/glfw3.h>

#include <memory>

namespace drifthold {

class ShaderProgram;
class State;
namespace scene {
class Spaceship;
class Camera;
} // namespace scene

// Shared by the shell and the states.
struct GameContext {
    ShaderProgram* basicProgram = nullptr;
    scene::Spaceship* spaceship = nullptr;
    scene::Camera* activeCamera = nullptr;
    bool wireframe = false;
    bool showFrameTime = false;
    bool transparency = true;
};

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
