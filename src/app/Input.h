#pragma once
#include "gfx/gl.h"
#include "states/GameContext.h"

#include <GLFW/glfw3.h>

#include <memory>

namespace drifthold {

class ShaderProgram;
class State;

// What the window's callbacks reach through its user pointer: the game, or a test's
// stand-in. They know nothing else of it.
class WindowEvents {
public:
    // A key event as GLFW reports it (the scan code is never used).
    virtual void keyEvent(int key, int action, int mods) = 0;
    // The window's framebuffer now has this size, in pixels.
    virtual void framebufferResized(int width, int height) = 0;

protected:
    ~WindowEvents() = default;
};

// Builds the basic program (current from then on), registers both callbacks for `window`
// and sets the context's program and flags. The caller owns the program.
std::unique_ptr<ShaderProgram> initContext(GLFWwindow* window, GameContext& context);

// Points the window's callbacks, the framebuffer-size one included, at `events`; null
// unhooks them all.
void deliverWindowEvents(GLFWwindow* window, WindowEvents* events);

// What a key event does: a press of M or P makes the menu or the game current and
// activates it; any other press goes to the current state, every release as -1, and
// repeats do nothing.
void routeKey(State*& currentState, State* gameState, State* menuState, int key, int action);

// The callbacks hand their events to the window's WindowEvents, if it has any.
void keyCallback(GLFWwindow* window, int key, int scancode, int action, int mods);
void windowCloseCallback(GLFWwindow* window);

} // namespace drifthold
