#pragma once
#include "platform/Gamepad.h"

namespace drifthold {

class State;

// The pad plays through the keyboard's routes: once a frame, after the window's events,
// its presses and releases reach the states as the keys' would (M and P switch screens).
class PadControls {
public:
    explicit PadControls(GamepadSource source = glfwGamepadSource());

    // Hears of unplugged pads through GLFW's joystick callback. GLFW must be initialised.
    void listen() { input_.listen(); }

    // Polls the pad and routes its events to the screens; the menu's mapping applies while
    // the menu is current. Returns whether the pad's quit chord is held.
    bool poll(State*& currentState, State* gameState, State* menuState);

private:
    GamepadInput input_;
};

} // namespace drifthold
