// The pad as keys: synthetic GLFW states in, the key events the game would route out.
// Events read as "+KEY" for a press and "-KEY" for a release, in their order.
#include "platform/Gamepad.h"

#include <gtest/gtest.h>

#include <string>

using namespace drifthold;

namespace {

std::string keyName(int key) {
    const char* const arrows[] = {"RIGHT", "LEFT", "DOWN", "UP"}; // GLFW_KEY_RIGHT onwards
    if (key >= GLFW_KEY_RIGHT && key <= GLFW_KEY_UP)
        return arrows[key - GLFW_KEY_RIGHT];
    if (key >= GLFW_KEY_F1 && key <= GLFW_KEY_F25)
        return "F" + std::to_string(key - GLFW_KEY_F1 + 1);
    // GLFW's codes for digits and letters are their ASCII codes.
    return key == GLFW_KEY_ENTER ? "ENTER" : std::string(1, static_cast<char>(key));
}

std::string text(const PadEvents& events) {
    std::string out;
    for (const PadKey& event : events)
        out += (event.action == GLFW_PRESS ? " +" : " -") + keyName(event.key);
    out += events.quit ? " quit" : "";
    return out.empty() ? out : out.substr(1);
}

// A pad at rest: no button down, sticks centred, triggers released (-1).
struct Pad {
    GLFWgamepadstate state{};
    Pad() { triggers(-1.0f, -1.0f); }
    Pad& down(int button) {
        state.buttons[button] = GLFW_PRESS;
        return *this;
    }
    Pad& left(float x, float y) { return axes(GLFW_GAMEPAD_AXIS_LEFT_X, x, y); }
    Pad& right(float x, float y) { return axes(GLFW_GAMEPAD_AXIS_RIGHT_X, x, y); }
    Pad& triggers(float lt, float rt) { return axes(GLFW_GAMEPAD_AXIS_LEFT_TRIGGER, lt, rt); }
    Pad& axes(int first, float a, float b) { // GLFW numbers each pair's axes in a row
        state.axes[first] = a;
        state.axes[first + 1] = b;
        return *this;
    }
};

// A control pushed from rest, and the key it gives in the game and in the menu ("" for none).
struct Control {
    Pad pad;
    std::string game, menu;
};

// A mapper that has seen the pad at rest, so the next state acts.
class PadTest : public ::testing::Test {
protected:
    PadTest() { mapper.update(Pad().state, false); }
    std::string game(const Pad& pad) { return text(mapper.update(pad.state, false)); }
    std::string menu(const Pad& pad) { return text(mapper.update(pad.state, true)); }
    GamepadMapper mapper;
};

constexpr float kFire = GamepadMapper::kTurnFire;
constexpr float kRearm = GamepadMapper::kTurnRearm;

// 0 absent, 1 a joystick GLFW has no mapping for, 2 a gamepad.
int kind[GLFW_JOYSTICK_LAST + 1] = {};
GLFWgamepadstate state[GLFW_JOYSTICK_LAST + 1] = {};

} // namespace

// Each control pushed from rest, held and let go, in the game and in the menu: one press of
// its key, nothing while held, the release of the same key ("" where it gives nothing). The
// left stick turns along its dominant axis; up is negative on GLFW's y axis.
TEST_F(PadTest, EachControlPressesItsKeyOnceAndReleasesItWhenLetGo) {
    const Pad back = Pad().down(GLFW_GAMEPAD_BUTTON_BACK);
    const Control controls[] = {{Pad().down(GLFW_GAMEPAD_BUTTON_X), "1", ""},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_A), "2", "ENTER"},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_B), "3", "P"},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_Y), "4", ""},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER), "7", ""},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER), "8", ""},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_RIGHT_THUMB), "9", ""},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_LEFT_THUMB), "T", ""},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_START), "M", "P"},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_GUIDE), "", ""},
                                {back, "", ""},
                                {Pad(back).down(GLFW_GAMEPAD_BUTTON_X), "F2", ""},
                                {Pad(back).down(GLFW_GAMEPAD_BUTTON_A), "F3", "ENTER"},
                                {Pad(back).down(GLFW_GAMEPAD_BUTTON_B), "F9", "P"},
                                {Pad(back).down(GLFW_GAMEPAD_BUTTON_Y), "", ""},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_DPAD_UP), "UP", "UP"},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_DPAD_DOWN), "DOWN", "DOWN"},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_DPAD_LEFT), "LEFT", "LEFT"},
                                {Pad().down(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT), "RIGHT", "RIGHT"},
                                {Pad().left(0.0f, -1.0f), "UP", "UP"},
                                {Pad().left(0.0f, 1.0f), "DOWN", "DOWN"},
                                {Pad().left(-1.0f, 0.0f), "LEFT", "LEFT"},
                                {Pad().left(1.0f, 0.0f), "RIGHT", "RIGHT"},
                                {Pad().left(0.7f, -0.9f), "UP", "UP"},
                                {Pad().left(0.9f, -0.7f), "RIGHT", "RIGHT"},
                                {Pad().right(-0.8f, 0.0f), "A", ""},
                                {Pad().right(0.8f, 0.0f), "D", ""},
                                {Pad().right(0.0f, -0.8f), "W", ""},
                                {Pad().right(0.0f, 0.8f), "S", ""},
                                {Pad().triggers(1.0f, -1.0f), "J", ""},
                                {Pad().triggers(-1.0f, 1.0f), "K", ""}};
    for (const Control& control : controls)
        for (bool inMenu : {false, true}) {
            const std::string key = inMenu ? control.menu : control.game;
            std::string frames; // pushed, held for two frames, let go
            for (const Pad& pad : {control.pad, control.pad, control.pad, Pad()})
                frames += "|" + text(mapper.update(pad.state, inMenu));
            EXPECT_EQ(frames, key.empty() ? "||||" : "|+" + key + "|||-" + key)
                << control.game << (inMenu ? " in the menu" : "");
        }
}

// Each stick and trigger fires past its threshold and re-arms only nearer rest, so a hand
// that wobbles around a threshold gives one press.
TEST_F(PadTest, EachAxisFiresPastItsThresholdAndRearmsOnlyNearRest) {
    // The left stick: inside the fire threshold nothing happens, however long.
    for (float x : {0.1f, kRearm, 0.5f, kFire - 0.01f, -(kFire - 0.01f)})
        EXPECT_EQ(game(Pad().left(x, 0.0f)), "") << x;
    EXPECT_EQ(game(Pad().left(kFire, 0.0f)), "+RIGHT");
    // Wobbling around the fire threshold, coming back only part of the way, or rolling round
    // the rim is still the same flick.
    for (float x : {kFire - 0.01f, kFire + 0.01f, kFire - 0.01f, 1.0f, kRearm, kFire})
        EXPECT_EQ(game(Pad().left(x, 0.0f)), "") << x;
    EXPECT_EQ(game(Pad().left(0.0f, 1.0f)), "");
    EXPECT_EQ(game(Pad().left(-0.7f, 0.7f)), "");
    EXPECT_EQ(game(Pad().left(kRearm - 0.01f, 0.0f)), "-RIGHT");
    EXPECT_EQ(game(Pad().left(kFire + 0.01f, 0.0f)), "+RIGHT");
    game(Pad());

    // The right stick holds its camera key until it comes back inside its own, lower
    // threshold.
    constexpr float on = GamepadMapper::kCameraOn, off = GamepadMapper::kCameraOff;
    EXPECT_EQ(game(Pad().right(-(on - 0.01f), 0.0f)), "");
    EXPECT_EQ(game(Pad().right(-on, 0.0f)), "+A");
    // Between the two thresholds the key stays held; the free camera keeps turning.
    EXPECT_EQ(game(Pad().right(-(on - 0.01f), 0.0f)), "");
    EXPECT_EQ(game(Pad().right(-off, 0.0f)), "");
    EXPECT_EQ(game(Pad().right(-0.7f, -0.7f)), ""); // a diagonal does not flip between keys
    EXPECT_EQ(game(Pad().right(-(off - 0.01f), 0.0f)), "-A");
    // Rolled round to another direction: the old key's release comes before the new press,
    // since any release stops the free camera.
    EXPECT_EQ(game(Pad().right(-1.0f, 0.0f)), "+A");
    EXPECT_EQ(game(Pad().right(0.0f, -1.0f)), "-A +W");
    game(Pad());

    // A trigger gives one press per pull.
    constexpr float fire = GamepadMapper::kTriggerFire, rearm = GamepadMapper::kTriggerRearm;
    const auto pull = [](float share) { return Pad().triggers(share * 2.0f - 1.0f, -1.0f); };
    EXPECT_EQ(game(pull(fire - 0.01f)), "");
    EXPECT_EQ(game(pull(fire)), "+J");
    EXPECT_EQ(game(pull(1.0f)), "");
    EXPECT_EQ(game(pull(rearm)), "");
    EXPECT_EQ(game(pull(rearm - 0.01f)), "-J");
}

// A control's release gives back what its press gave, whatever the mode is by then or BACK
// is; a push that began in the menu waits for the stick to come back before it acts.
TEST_F(PadTest, AControlHeldAcrossTheMenuSwitchOrBackKeepsItsKey) {
    const Pad start = Pad().down(GLFW_GAMEPAD_BUTTON_START);
    EXPECT_EQ(game(start), "+M");
    EXPECT_EQ(menu(start), "");
    EXPECT_EQ(menu(Pad()), "-M");
    EXPECT_EQ(menu(start), "+P");
    EXPECT_EQ(game(Pad()), "-P");

    const Pad pushed = Pad().right(-1.0f, 0.0f);
    EXPECT_EQ(menu(pushed), "");
    EXPECT_EQ(game(pushed), "");
    EXPECT_EQ(game(Pad()), "");
    EXPECT_EQ(game(pushed), "+A");
    EXPECT_EQ(menu(pushed), "");
    EXPECT_EQ(menu(Pad()), "-A");

    const Pad back = Pad().down(GLFW_GAMEPAD_BUTTON_BACK);
    EXPECT_EQ(game(Pad(back).down(GLFW_GAMEPAD_BUTTON_X)), "+F2");
    EXPECT_EQ(game(Pad().down(GLFW_GAMEPAD_BUTTON_X)), "");
    EXPECT_EQ(game(Pad()), "-F2");
    EXPECT_EQ(game(Pad().down(GLFW_GAMEPAD_BUTTON_X)), "+1");

    // In one frame every release comes before every press, or a release of one button would
    // stop the camera turn another control just began.
    EXPECT_EQ(game(Pad().down(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT)), "-1 +RIGHT");
    EXPECT_EQ(game(Pad().right(1.0f, 0.0f).down(GLFW_GAMEPAD_BUTTON_A)), "-RIGHT +2 +D");
    EXPECT_EQ(game(Pad().right(1.0f, 0.0f).down(GLFW_GAMEPAD_BUTTON_B)), "-2 +3");
}

// BACK + START quits for as long as both are down, in the game and in the menu, and START
// does not open the menu on the way; held as the pad starts, it waits for a new press.
TEST_F(PadTest, BackAndStartQuit) {
    const Pad back = Pad().down(GLFW_GAMEPAD_BUTTON_BACK);
    const Pad chord = Pad(back).down(GLFW_GAMEPAD_BUTTON_START);
    EXPECT_EQ(game(chord), "quit");
    EXPECT_EQ(game(chord), "quit");
    EXPECT_EQ(game(back), "");
    EXPECT_EQ(menu(chord), "quit");
    EXPECT_EQ(menu(Pad().down(GLFW_GAMEPAD_BUTTON_START)), "");
    EXPECT_EQ(menu(Pad()), "");

    GamepadMapper fresh;
    EXPECT_EQ(text(fresh.update(chord.state, false)), "");
    EXPECT_EQ(text(fresh.update(chord.state, false)), "");
    EXPECT_EQ(text(fresh.update(back.state, false)), "");
    EXPECT_EQ(text(fresh.update(chord.state, false)), "quit");
}

TEST_F(PadTest, ADisconnectReleasesEveryHeldKeyAndTheNextPadStartsAfresh) {
    Pad busy = Pad().right(-1.0f, 0.0f).left(0.0f, -1.0f).triggers(1.0f, -1.0f);
    busy.down(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER).down(GLFW_GAMEPAD_BUTTON_BACK);
    EXPECT_EQ(game(busy), "+7 +UP +A +J");
    EXPECT_EQ(text(mapper.disconnect()), "-7 -UP -A -J");
    EXPECT_EQ(text(mapper.disconnect()), ""); // nothing is released twice
    // A pad that comes with its sticks pushed and buttons down does nothing until let go.
    EXPECT_EQ(game(busy), "");
    EXPECT_EQ(game(Pad()), "");
    EXPECT_EQ(game(busy), "+7 +UP +A +J");
    // Partly pushed at the start is not pushed: going past the threshold acts.
    mapper.disconnect();
    EXPECT_EQ(game(Pad().left(0.5f, 0.0f).triggers(0.0f, 0.0f)), "");
    EXPECT_EQ(game(Pad().left(1.0f, 0.0f).triggers(1.0f, 0.0f)), "+RIGHT +J");
}

// --- The GLFW side, with a pretend joystick table ---

// The first gamepad among the joysticks is read; unplugged, its held key is released and
// the next pad takes over from the next frame; gone before GLFW told anyone, the failed
// read counts as the disconnect.
TEST(GamepadInput, FindsTheFirstGamepadAndFollowsItsComingAndGoing) {
    GamepadInput input({[](int jid) { return kind[jid] > 0 ? GLFW_TRUE : GLFW_FALSE; },
                        [](int jid) { return kind[jid] == 2 ? GLFW_TRUE : GLFW_FALSE; },
                        [](int jid, GLFWgamepadstate* to) {
                            *to = state[jid];
                            return kind[jid] == 2 ? GLFW_TRUE : GLFW_FALSE;
                        }});
    // This frame's events, then "@" and the joystick in use.
    const auto poll = [&input](bool menuIsCurrent) {
        const std::string events = text(input.poll(menuIsCurrent));
        return events + "@" + std::to_string(input.joystick());
    };
    EXPECT_EQ(poll(false), "@-1");
    kind[1] = 1;
    kind[4] = kind[9] = 2;
    state[4] = Pad().down(GLFW_GAMEPAD_BUTTON_X).state; // held as it is plugged in
    state[9] = Pad().state;
    EXPECT_EQ(poll(false), "@4");
    state[4] = Pad().right(1.0f, 0.0f).state;
    EXPECT_EQ(poll(false), "+D@4");
    kind[4] = 0;
    input.joystickEvent(4, GLFW_DISCONNECTED);
    EXPECT_EQ(poll(false), "-D@-1");
    EXPECT_EQ(poll(false), "@9");
    state[9] = Pad().down(GLFW_GAMEPAD_BUTTON_START).state;
    EXPECT_EQ(poll(true), "+P@9");
    kind[9] = 0;
    EXPECT_EQ(poll(true), "-P@-1");
}
