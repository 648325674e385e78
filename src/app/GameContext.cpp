#include "app/GameContext.h"

#include "gfx/ShaderProgram.h"
#include "states/GameState.h"
#include "states/MenuState.h"

namespace drifthold {

GameContext gameContext;
GameState* gameState = nullptr;
MenuState* menuState = nullptr;
State* currentState = nullptr;

void initContext(GLFWwindow* window) {
    // Released by hand after the close button, so held as a plain pointer.
    ShaderProgram* program =
        buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\basic.frag").release();
    glUseProgram(program->handle);

    glfwSetKeyCallback(window, keyCallback);
    glfwSetWindowCloseCallback(window, windowCloseCallback);

    gameContext.basicProgram = program;
    gameContext.wireframe = false;
    gameContext.showFrameTime = false;
    gameContext.transparency = true;
}

void keyCallback(GLFWwindow* /*window*/, int key, int /*scancode*/, int action, int /*mods*/) {
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

void windowCloseCallback(GLFWwindow* /*window*/) {
    // The close flag stays set; the loop ends at its next test.
    if (gameContext.basicProgram != nullptr)
        gameContext.basicProgramReleaseRequested = true;
}

void releaseBasicProgramIfRequested() {
    if (!gameContext.basicProgramReleaseRequested || gameContext.basicProgram == nullptr)
        return;
    glDeleteProgram(gameContext.basicProgram->handle);
    delete gameContext.basicProgram;
    gameContext.basicProgram = nullptr;
    gameContext.basicProgramReleaseRequested = false;
}

} // namespace drifthold
