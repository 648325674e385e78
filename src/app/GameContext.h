#pragma once
#include <GLFW/glfw3.h>

namespace drifthold {

class ShaderProgram;
class State;
class GameState;
class MenuState;
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
    // Set by the close button; the program is released once the frame loop has ended,
    // since the frame that saw the request still draws with it.
    bool basicProgramReleaseRequested = false;
};

extern GameContext gameContext;
extern GameState* gameState;
extern MenuState* menuState;
extern State* currentState;

// Builds the basic program (current from then on), registers both callbacks and sets the flags.
void initContext(GLFWwindow* window);
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void windowCloseCallback(GLFWwindow* window);
// Releases the basic program if the close button asked for it; called after the loop.
void releaseBasicProgramIfRequested();

} // namespace drifthold
