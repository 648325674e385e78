#include "app/Gamepad.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace drifthold {

void PadEvents::clear() {
    count = 0;
    quit = false;
}

void PadEvents::push(int key, int action) {
    // At most a release and a press per control and frame, well within the capacity.
    if (count < kCapacity)
        events[count++] = PadKey{key, action};
}

namespace {

// A stick's dominant direction: 0 left, 1 right, 2 up, 3 down (GLFW's y grows downwards).
// A perfect diagonal counts as horizontal.
int direction(float x, float y) {
    if (std::fabs(x) >= std::fabs(y))
        return x < 0.0f ? 0 : 1;
    return y < 0.0f ? 2 : 3;
}

// How far the stick is pushed along a direction.
float along(int dir, float x, float y) {
    switch (dir) {
    case 0:
        return -x;
    case 1:
        return x;
    case 2:
        return -y;
    default:
        return y;
    }
}

constexpr int kArrowKeys[] = {GLFW_KEY_LEFT, GLFW_KEY_RIGHT, GLFW_KEY_UP, GLFW_KEY_DOWN};
constexpr int kCameraKeys[] = {GLFW_KEY_A, GLFW_KEY_D, GLFW_KEY_W, GLFW_KEY_S};

// The direction a camera key stands for.
int keyDirection(int cameraKey) {
    return int(std::find(std::begin(kCameraKeys), std::end(kCameraKeys), cameraKey) -
               std::begin(kCameraKeys));
}

int buttonKey(int button, bool menu, bool back) {
    switch (button) {
    case GLFW_GAMEPAD_BUTTON_DPAD_UP:
        return GLFW_KEY_UP;
    case GLFW_GAMEPAD_BUTTON_DPAD_RIGHT:
        return GLFW_KEY_RIGHT;
    case GLFW_GAMEPAD_BUTTON_DPAD_DOWN:
        return GLFW_KEY_DOWN;
    case GLFW_GAMEPAD_BUTTON_DPAD_LEFT:
        return GLFW_KEY_LEFT;
    case GLFW_GAMEPAD_BUTTON_START:
        return back ? 0 : menu ? GLFW_KEY_P : GLFW_KEY_M;
    default:
        break;
    }
    if (menu)
        return button == GLFW_GAMEPAD_BUTTON_A   ? GLFW_KEY_ENTER
               : button == GLFW_GAMEPAD_BUTTON_B ? GLFW_KEY_P
                                                 : 0;
    switch (button) {
    case GLFW_GAMEPAD_BUTTON_X:
        return back ? GLFW_KEY_F2 : GLFW_KEY_1;
    case GLFW_GAMEPAD_BUTTON_A:
        return back ? GLFW_KEY_F3 : GLFW_KEY_2;
    case GLFW_GAMEPAD_BUTTON_B:
        return back ? GLFW_KEY_F9 : GLFW_KEY_3;
    case GLFW_GAMEPAD_BUTTON_Y:
        return back ? 0 : GLFW_KEY_4;
    case GLFW_GAMEPAD_BUTTON_LEFT_BUMPER:
        return GLFW_KEY_7;
    case GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER:
        return GLFW_KEY_8;
    case GLFW_GAMEPAD_BUTTON_RIGHT_THUMB:
        return GLFW_KEY_9;
    case GLFW_GAMEPAD_BUTTON_LEFT_THUMB:
        return GLFW_KEY_T;
    default: // BACK, GUIDE
        return 0;
    }
}

// A trigger's axis runs from -1 at rest to 1 fully pulled.
float pulled(float axis) {
    return (axis + 1.0f) * 0.5f;
}

} // namespace

const PadEvents& GamepadMapper::update(const GLFWgamepadstate& state, bool menuIsCurrent) {
    out.clear();
    const bool back = state.buttons[GLFW_GAMEPAD_BUTTON_BACK] == GLFW_PRESS;
    const bool chord = back && state.buttons[GLFW_GAMEPAD_BUTTON_START] == GLFW_PRESS;
    const float lx = state.axes[GLFW_GAMEPAD_AXIS_LEFT_X];
    const float ly = state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
    const float rx = state.axes[GLFW_GAMEPAD_AXIS_RIGHT_X];
    const float ry = state.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y];
    const float left = std::max(std::fabs(lx), std::fabs(ly));
    const float right = std::max(std::fabs(rx), std::fabs(ry));
    const float triggers[] = {pulled(state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER]),
                              pulled(state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER])};

    if (!started) {
        for (int button = 0; button <= GLFW_GAMEPAD_BUTTON_LAST; ++button)
            held[button] = Held{state.buttons[button] == GLFW_PRESS, 0};
        held[kLeftStick] = Held{left >= kTurnFire, 0};
        held[kRightStick] = Held{right >= kCameraOn, 0};
        held[kLeftTrigger] = Held{triggers[0] >= kTriggerFire, 0};
        held[kRightTrigger] = Held{triggers[1] >= kTriggerFire, 0};
        quitBlocked = chord;
        started = true;
        return out;
    }

    // Releases go first: a release reaches the game as -1 and stops a free-camera turn,
    // so one that came after this frame's camera press would undo it.
    std::array<int, kControlCount> pressed{};
    const auto release = [this](Held& control) {
        if (control.key != 0)
            out.push(control.key, GLFW_RELEASE);
        control = Held{};
    };
    const auto engage = [&pressed](Held& control, int index, int key) {
        control = Held{true, key};
        pressed[index] = key;
    };

    for (int button = 0; button <= GLFW_GAMEPAD_BUTTON_LAST; ++button) {
        const bool down = state.buttons[button] == GLFW_PRESS;
        if (down && !held[button].engaged)
            engage(held[button], button, buttonKey(button, menuIsCurrent, back));
        else if (!down && held[button].engaged)
            release(held[button]);
    }

    Held& turn = held[kLeftStick];
    if (turn.engaged && left < kTurnRearm)
        release(turn);
    else if (!turn.engaged && left >= kTurnFire)
        engage(turn, kLeftStick, kArrowKeys[direction(lx, ly)]);

    // The camera key is kept while the stick stays pushed its way; a push the menu took (no
    // key) waits for the stick to come back before it can act in the game.
    Held& camera = held[kRightStick];
    if (camera.engaged) {
        const bool kept = camera.key != 0 ? along(keyDirection(camera.key), rx, ry) >= kCameraOff
                                          : right >= kCameraOff;
        if (!kept)
            release(camera);
    }
    if (!camera.engaged && right >= kCameraOn)
        engage(camera, kRightStick, menuIsCurrent ? 0 : kCameraKeys[direction(rx, ry)]);

    for (int i = 0; i < 2; ++i) {
        Held& trigger = held[kLeftTrigger + i];
        if (trigger.engaged && triggers[i] < kTriggerRearm)
            release(trigger);
        else if (!trigger.engaged && triggers[i] >= kTriggerFire)
            engage(trigger, kLeftTrigger + i,
                   menuIsCurrent ? 0 : (i == 0 ? GLFW_KEY_J : GLFW_KEY_K));
    }

    for (int key : pressed)
        if (key != 0)
            out.push(key, GLFW_PRESS);

    if (!chord)
        quitBlocked = false;
    out.quit = chord && !quitBlocked;
    return out;
}

const PadEvents& GamepadMapper::disconnect() {
    out.clear();
    for (Held& control : held) {
        if (control.key != 0)
            out.push(control.key, GLFW_RELEASE);
        control = Held{};
    }
    started = false;
    quitBlocked = false;
    return out;
}

// --- GamepadInput ---

GamepadSource glfwGamepadSource() {
    return GamepadSource{glfwJoystickPresent, glfwJoystickIsGamepad, glfwGetGamepadState};
}

GamepadInput* GamepadInput::listening = nullptr;

GamepadInput::GamepadInput(GamepadSource padSource) : source(padSource) {}

GamepadInput::~GamepadInput() {
    // GLFW keeps the callback, which then finds no instance; unsetting it here could come
    // after glfwTerminate.
    if (listening == this)
        listening = nullptr;
}

void GamepadInput::listen() {
    listening = this;
    glfwSetJoystickCallback(joystickCallback);
}

void GamepadInput::joystickCallback(int jid, int event) {
    if (listening != nullptr)
        listening->joystickEvent(jid, event);
}

void GamepadInput::joystickEvent(int jid, int event) {
    // A connected pad is found by the next poll, which looks for one whenever it has none.
    if (event == GLFW_DISCONNECTED && jid == current)
        lost = true;
}

const PadEvents& GamepadInput::poll(bool menuIsCurrent) {
    GLFWgamepadstate state{};
    if (current >= 0 && !lost && !source.state(current, &state))
        lost = true; // gone before its callback came
    if (lost) {
        lost = false;
        current = -1;
        return mapper.disconnect();
    }
    // Looking costs a few array reads in GLFW, so it is done every frame without a pad:
    // a pad plugged in is found even by a game that never called listen().
    if (current < 0) {
        for (int jid = GLFW_JOYSTICK_1; jid <= GLFW_JOYSTICK_LAST; ++jid)
            if (source.present(jid) && source.isGamepad(jid) && source.state(jid, &state)) {
                current = jid;
                break;
            }
    }
    if (current < 0) {
        none.clear();
        return none;
    }
    return mapper.update(state, menuIsCurrent);
}

} // namespace drifthold
