#include "app/Input.h"

#include "gfx/ShaderProgram.h"
#include "states/State.h"

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

namespace {

WindowEvents* eventsOf(GLFWwindow* window) {
    return static_cast<WindowEvents*>(glfwGetWindowUserPointer(window));
}

void framebufferSizeCallback(GLFWwindow* window, int width, int height) {
    if (WindowEvents* events = eventsOf(window))
        events->framebufferResized(width, height);
}

} // namespace

void deliverWindowEvents(GLFWwindow* window, WindowEvents* events) {
    glfwSetWindowUserPointer(window, events);
    glfwSetFramebufferSizeCallback(window, events != nullptr ? framebufferSizeCallback : nullptr);
    if (events == nullptr) {
        glfwSetKeyCallback(window, nullptr);
        glfwSetWindowCloseCallback(window, nullptr);
    }
}

void keyCallback(GLFWwindow* window, int key, int /*scancode*/, int action, int mods) {
    if (WindowEvents* events = eventsOf(window))
        events->keyEvent(key, action, mods);
}

// Registered so that a close request is the game's own event: it does not veto the close,
// the flag stays set and the loop ends at its next test. The basic program is not released
// here: the frame that saw the request still draws with it, and it goes with the rest of
// the game when the loop has ended.
void windowCloseCallback(GLFWwindow* /*window*/) {}

} // namespace drifthold
