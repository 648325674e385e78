#include "platform/Gamepad.h"

#include "platform/UserFolders.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <ostream>
#include <sstream>

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

GamepadMapper::Reading GamepadMapper::read(const GLFWgamepadstate& state) {
    Reading pad;
    pad.back = state.buttons[GLFW_GAMEPAD_BUTTON_BACK] == GLFW_PRESS;
    pad.chord = pad.back && state.buttons[GLFW_GAMEPAD_BUTTON_START] == GLFW_PRESS;
    pad.lx = state.axes[GLFW_GAMEPAD_AXIS_LEFT_X];
    pad.ly = state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y];
    pad.rx = state.axes[GLFW_GAMEPAD_AXIS_RIGHT_X];
    pad.ry = state.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y];
    pad.left = std::max(std::fabs(pad.lx), std::fabs(pad.ly));
    pad.right = std::max(std::fabs(pad.rx), std::fabs(pad.ry));
    pad.triggers[0] = pulled(state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER]);
    pad.triggers[1] = pulled(state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER]);
    return pad;
}

void GamepadMapper::start(const GLFWgamepadstate& state, const Reading& pad) {
    for (int button = 0; button <= GLFW_GAMEPAD_BUTTON_LAST; ++button)
        held[button] = Held{state.buttons[button] == GLFW_PRESS, 0};
    held[kLeftStick] = Held{pad.left >= kTurnFire, 0};
    held[kRightStick] = Held{pad.right >= kCameraOn, 0};
    held[kLeftTrigger] = Held{pad.triggers[0] >= kTriggerFire, 0};
    held[kRightTrigger] = Held{pad.triggers[1] >= kTriggerFire, 0};
    quitBlocked = pad.chord;
    started = true;
}

void GamepadMapper::release(Held& control) {
    if (control.key != 0)
        out.push(control.key, GLFW_RELEASE);
    control = Held{};
}

void GamepadMapper::engage(int control, int key) {
    held[control] = Held{true, key};
    pressed[control] = key;
}

void GamepadMapper::updateButtons(const GLFWgamepadstate& state, bool menu, bool back) {
    for (int button = 0; button <= GLFW_GAMEPAD_BUTTON_LAST; ++button) {
        const bool down = state.buttons[button] == GLFW_PRESS;
        if (down && !held[button].engaged)
            engage(button, buttonKey(button, menu, back));
        else if (!down && held[button].engaged)
            release(held[button]);
    }
}

void GamepadMapper::updateSticks(const Reading& pad, bool menu) {
    Held& turn = held[kLeftStick];
    if (turn.engaged && pad.left < kTurnRearm)
        release(turn);
    else if (!turn.engaged && pad.left >= kTurnFire)
        engage(kLeftStick, kArrowKeys[direction(pad.lx, pad.ly)]);

    // The camera key is kept while the stick stays pushed its way; a push the menu took (no
    // key) waits for the stick to come back before it can act in the game.
    Held& camera = held[kRightStick];
    if (camera.engaged) {
        const bool kept = camera.key != 0
                              ? along(keyDirection(camera.key), pad.rx, pad.ry) >= kCameraOff
                              : pad.right >= kCameraOff;
        if (!kept)
            release(camera);
    }
    if (!camera.engaged && pad.right >= kCameraOn)
        engage(kRightStick, menu ? 0 : kCameraKeys[direction(pad.rx, pad.ry)]);
}

void GamepadMapper::updateTriggers(const Reading& pad, bool menu) {
    for (int i = 0; i < 2; ++i) {
        Held& trigger = held[kLeftTrigger + i];
        if (trigger.engaged && pad.triggers[i] < kTriggerRearm)
            release(trigger);
        else if (!trigger.engaged && pad.triggers[i] >= kTriggerFire)
            engage(kLeftTrigger + i, menu ? 0 : (i == 0 ? GLFW_KEY_J : GLFW_KEY_K));
    }
}

const PadEvents& GamepadMapper::update(const GLFWgamepadstate& state, bool menuIsCurrent) {
    out.clear();
    const Reading pad = read(state);
    if (!started) {
        start(state, pad);
        return out;
    }
    // Releases go first: a release reaches the game as -1 and stops a free-camera turn,
    // so one that came after this frame's camera press would undo it. The presses wait in
    // `pressed` until every control has been looked at.
    pressed.fill(0);
    updateButtons(state, menuIsCurrent, pad.back);
    updateSticks(pad, menuIsCurrent);
    updateTriggers(pad, menuIsCurrent);
    for (int key : pressed)
        if (key != 0)
            out.push(key, GLFW_PRESS);

    if (!pad.chord)
        quitBlocked = false;
    out.quit = pad.chord && !quitBlocked;
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

// --- Mappings ---

namespace {

// Far beyond SDL's community database (about half a megabyte).
constexpr std::size_t kMaxMappingFile = 4 * 1024 * 1024;
// GLFW passes over longer lines without a word.
constexpr std::size_t kMaxMappingLine = 1023;

// Every mapping starts with the pad's GUID; GLFW passes over a line without one silently.
// (It passes over other systems' mappings, "platform:Windows" say, just as silently, and
// rightly: they are not refused, just not ours.)
bool startsWithGuid(const std::string& line) {
    constexpr std::size_t kGuidDigits = 32;
    return line.size() > kGuidDigits && line[kGuidDigits] == ',' &&
           line.find_first_not_of("0123456789abcdefABCDEF") == kGuidDigits;
}

} // namespace

int addGamepadMappings(const std::string& text, const std::string& source, std::ostream& errors) {
    std::istringstream lines(text);
    std::string line;
    int added = 0;
    for (int number = 1; std::getline(lines, line); ++number) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        line.erase(0, first);
        std::string why;
        if (line.size() > kMaxMappingLine) {
            why = "longer than " + std::to_string(kMaxMappingLine) + " characters";
        } else if (!startsWithGuid(line)) {
            why = "it does not start with the pad's 32-digit GUID";
        } else {
            // GLFW's refusal comes through its error callback, which would write a second
            // line: it is set aside while one mapping goes in, and the error read after.
            glfwGetError(nullptr);
            const GLFWerrorfun callback = glfwSetErrorCallback(nullptr);
            glfwUpdateGamepadMappings(line.c_str());
            const char* description = nullptr;
            if (glfwGetError(&description) != GLFW_NO_ERROR)
                why = std::string("GLFW refused it: ") + (description ? description : "");
            glfwSetErrorCallback(callback);
        }
        if (why.empty())
            ++added;
        else
            errors << "drifthold: gamepad mapping refused (" << source << " line " << number
                   << "): " << why << std::endl;
    }
    return added;
}

void loadGamepadMappings(std::ostream& errors) {
    if (const char* variable = std::getenv("SDL_GAMECONTROLLERCONFIG"))
        addGamepadMappings(variable, "SDL_GAMECONTROLLERCONFIG", errors);
    const std::string home = configHome();
    if (home.empty())
        return;
    const std::string path = home + "/drifthold/gamecontrollerdb.txt";
    const FileText file = readPlayerFile(path, kMaxMappingFile);
    switch (file.status) {
    case FileText::Status::Read:
        addGamepadMappings(file.text, path, errors);
        break;
    case FileText::Status::Missing:
        break;
    case FileText::Status::NotAFile:
        errors << "drifthold: " << path << " is not a file; its pad mappings are not read"
               << std::endl;
        break;
    case FileText::Status::TooLarge:
        errors << "drifthold: " << path << " is too large; its pad mappings are not read"
               << std::endl;
        break;
    case FileText::Status::Unreadable:
        errors << "drifthold: " << path << " cannot be read: " << file.why << std::endl;
        break;
    }
}

} // namespace drifthold
