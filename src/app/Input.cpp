#include "app/Input.h"

#include "app/Game.h"
#include "gfx/ShaderProgram.h"
#include "states/GameState.h"
#include "states/MenuState.h"

namespace drifthold {

std::unique_ptr<ShaderProgram> initContext(GLFWwindow* window, GameContext& context) {
    std::unique_ptr<ShaderProgram> program =
        buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\basic.frag");
    glUseProgram(program->handle);

    glfwSetKeyCallback(window, keyCallback);
    glfwSetWindowCloseCallback(window, windowCloseCallback);

    context.basicProgram = program.get();
    context.wireframe = false;
    context.showFrameTime = false;
    context.transparency = true;
    return program;
}

void routeKey(State*& currentState, State* gameState, State* menuState, int key, int action) {
    if (action == GLFW_PRESS) {
        if (key == GLFW_KEY_M) {
            currentState = menuState;
            currentState->activate();
        } else if (key == GLFW_KEY_P) {
            currentState = gameState;
            currentState->activate();
        } else if (currentState != nullptr) {
            currentState->handleKey(key);
        }
    } else if (action == GLFW_RELEASE) {
        if (currentState != nullptr)
            currentState->handleKey(-1);
    }
}

void keyCallback(GLFWwindow* window, int key, int /*scancode*/, int action, int mods) {
    auto* game = static_cast<Game*>(glfwGetWindowUserPointer(window));
    if (game == nullptr)
        return;
    // The shell's own keys act first and silently; every key then goes its usual way.
    game->shellKey(key, action, mods);
    routeKey(game->currentState, game->gameState.get(), game->menuState.get(), key, action);
}

// Registered so that a close request is the game's own event: it does not veto the close,
// the flag stays set and the loop ends at its next test. The basic program is not released
// here: the frame that saw the request still draws with it, and it goes with the rest of
// the game when the loop has ended.
void windowCloseCallback(GLFWwindow* /*window*/) {}

} // namespace drifthold
