#pragma once
// A gamepad plays the game through its keys: each pad control gives the press and the
// release of one of the game's keys, which go through the same routing as the keyboard's
// (a release reaches the game as -1, whichever key it was). GLFW's standard layout:
//
//   pad                          game                      menu
//   d-pad, left stick            arrow keys (turns)        arrow keys
//   X / A / B / Y                1 / 2 / 3 / 4 (speeds)    - / Enter / P / -
//   BACK + X / A / B             F2 / F3 / F9              - / Enter / P
//   LB / RB                      7 / 8 (cameras)           -
//   R3 / L3 (stick clicks)       9 (cockpit) / T           -
//   right stick l/r/u/d          A / D / W / S, held       -
//   LT / RT                      J / K                     -
//   START                        M (menu)                  P (back)
//   BACK + START                 quit, like Escape         quit
//   GUIDE, BACK alone, BACK + Y  nothing                   nothing
//
// A key is pressed when its control goes down and released when it comes back, as a key
// of the keyboard would be. The left stick gives one turn per flick: it fires when its
// dominant axis passes kTurnFire and fires again only after it has come back inside
// kTurnRearm. The right stick holds its camera key while it stays pushed (the free camera
// turns while a key is held) and changes key only through a release; the triggers fire
// past kTriggerFire and re-arm inside kTriggerRearm. What a control's press gave, its
// release takes back, even if the menu opened or BACK was let go meanwhile.
#include <GLFW/glfw3.h>

#include <array>
#include <cstddef>
#include <iosfwd>
#include <string>

namespace drifthold {

struct PadKey {
    int key;    // a GLFW key code
    int action; // GLFW_PRESS or GLFW_RELEASE, as routeKey takes them
};

// One frame's key events in order (releases first), and whether the quit chord is held.
// Fixed capacity: nothing is allocated per frame.
class PadEvents {
public:
    static constexpr std::size_t kCapacity = 64;

    const PadKey* begin() const { return events.data(); }
    const PadKey* end() const { return events.data() + count; }
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }

    bool quit = false;

    void clear();
    void push(int key, int action);

private:
    std::array<PadKey, kCapacity> events{};
    std::size_t count = 0;
};

// Pad states to key events. Pure: the caller polls the pad.
class GamepadMapper {
public:
    // Stick and trigger thresholds, as a share of full travel from rest.
    static constexpr float kTurnFire = 0.6f;
    static constexpr float kTurnRearm = 0.3f;
    static constexpr float kCameraOn = 0.5f;
    static constexpr float kCameraOff = 0.3f;
    static constexpr float kTriggerFire = 0.6f;
    static constexpr float kTriggerRearm = 0.3f;

    // This frame's state of the pad. The first state after construction or disconnect()
    // is where the pad starts: what is already down or pushed past its threshold does
    // nothing until it has been let go.
    const PadEvents& update(const GLFWgamepadstate& state, bool menuIsCurrent);

    // The pad is gone: a release for every key still held, and the next state is a start.
    const PadEvents& disconnect();

private:
    enum Control {
        kLeftStick = GLFW_GAMEPAD_BUTTON_LAST + 1,
        kRightStick,
        kLeftTrigger,
        kRightTrigger,
        kControlCount
    };
    struct Held {
        bool engaged = false; // down, or past the fire threshold and not yet re-armed
        int key = 0;          // the key its press gave, or 0
    };
    // What one state of the pad says, in the terms the controls use.
    struct Reading {
        bool back = false, chord = false;
        float lx = 0, ly = 0, rx = 0, ry = 0;
        float left = 0, right = 0; // each stick's travel along its dominant axis
        float triggers[2] = {};    // 0 at rest to 1 fully pulled
    };

    static Reading read(const GLFWgamepadstate& state);
    void start(const GLFWgamepadstate& state, const Reading& pad);
    void updateButtons(const GLFWgamepadstate& state, bool menu, bool back);
    void updateSticks(const Reading& pad, bool menu);
    void updateTriggers(const Reading& pad, bool menu);
    // A control's release goes out at once; its press waits in `pressed`.
    void release(Held& control);
    void engage(int control, int key);

    std::array<Held, kControlCount> held{};
    std::array<int, kControlCount> pressed{}; // this update's presses, by control
    bool started = false;
    bool quitBlocked = false; // the chord was held when the pad started
    PadEvents out;
};

// Where the pad's state comes from: GLFW's joystick functions, or a test's.
struct GamepadSource {
    int (*present)(int jid);
    int (*isGamepad)(int jid);
    int (*state)(int jid, GLFWgamepadstate* state);
};
GamepadSource glfwGamepadSource();

// The GLFW side: the first connected joystick that GLFW knows as a gamepad, polled once a
// frame, with plugging and unplugging followed. Without a pad it gives no events.
class GamepadInput {
public:
    explicit GamepadInput(GamepadSource source = glfwGamepadSource());
    ~GamepadInput();
    GamepadInput(const GamepadInput&) = delete;
    GamepadInput& operator=(const GamepadInput&) = delete;

    // Hears of an unplugged pad through GLFW's joystick callback (GLFW has one; this
    // instance takes it) rather than at its next failed read. GLFW must be initialised.
    void listen();

    // This frame's events, after glfwPollEvents. A pad that went away gives the releases
    // of what it held; without a pad, one is looked for.
    const PadEvents& poll(bool menuIsCurrent);

    // What the joystick callback forwards: GLFW_CONNECTED or GLFW_DISCONNECTED for `jid`.
    void joystickEvent(int jid, int event);

    // The joystick in use, or -1.
    int joystick() const { return current; }

    // The callback GLFW calls; it forwards to the listening instance, if any.
    static void joystickCallback(int jid, int event);

private:
    GamepadSource source;
    GamepadMapper mapper;
    int current = -1;
    bool lost = false;
    PadEvents none;
    static GamepadInput* listening;
};

// Mappings in SDL's gamecontrollerdb format for pads that GLFW's built-in database does
// not know, as players of Linux games set them: $SDL_GAMECONTROLLERCONFIG first, then
// gamecontrollerdb.txt beside the settings file. Comments, blank lines and other systems'
// mappings are passed over; each mapping GLFW refuses costs one line on `errors`. Needs
// GLFW initialised.
void loadGamepadMappings(std::ostream& errors);
// The mappings of `text`, one a line, from `source` (which the error lines name); returns
// how many GLFW took.
int addGamepadMappings(const std::string& text, const std::string& source, std::ostream& errors);

} // namespace drifthold
