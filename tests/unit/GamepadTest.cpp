// The pad as keys: synthetic GLFW states in, the key events the game would route out.
// Events read as "+KEY" for a press and "-KEY" for a release, in their order.
#include "app/Gamepad.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

using namespace drifthold;

namespace {

std::string keyName(int key) {
    static const std::map<int, std::string> names = {
        {GLFW_KEY_1, "1"},       {GLFW_KEY_2, "2"},         {GLFW_KEY_3, "3"},
        {GLFW_KEY_4, "4"},       {GLFW_KEY_7, "7"},         {GLFW_KEY_8, "8"},
        {GLFW_KEY_9, "9"},       {GLFW_KEY_T, "T"},         {GLFW_KEY_M, "M"},
        {GLFW_KEY_P, "P"},       {GLFW_KEY_A, "A"},         {GLFW_KEY_D, "D"},
        {GLFW_KEY_W, "W"},       {GLFW_KEY_S, "S"},         {GLFW_KEY_J, "J"},
        {GLFW_KEY_K, "K"},       {GLFW_KEY_UP, "UP"},       {GLFW_KEY_DOWN, "DOWN"},
        {GLFW_KEY_LEFT, "LEFT"}, {GLFW_KEY_RIGHT, "RIGHT"}, {GLFW_KEY_ENTER, "ENTER"},
        {GLFW_KEY_F2, "F2"},     {GLFW_KEY_F3, "F3"},       {GLFW_KEY_F9, "F9"},
        {GLFW_KEY_ESCAPE, "ESC"}};
    const auto it = names.find(key);
    return it != names.end() ? it->second : "key" + std::to_string(key);
}

std::string text(const PadEvents& events) {
    std::string out;
    for (const PadKey& event : events)
        out += std::string(out.empty() ? "" : " ") + (event.action == GLFW_PRESS ? "+" : "-") +
               keyName(event.key);
    if (events.quit)
        out += out.empty() ? "quit" : " quit";
    return out;
}

// A pad at rest: no button down, sticks centred, triggers released (-1).
struct Pad {
    GLFWgamepadstate state{};
    Pad() {
        state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
        state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;
    }
    Pad& down(int button) {
        state.buttons[button] = GLFW_PRESS;
        return *this;
    }
    Pad& up(int button) {
        state.buttons[button] = GLFW_RELEASE;
        return *this;
    }
    Pad& left(float x, float y) {
        state.axes[GLFW_GAMEPAD_AXIS_LEFT_X] = x;
        state.axes[GLFW_GAMEPAD_AXIS_LEFT_Y] = y;
        return *this;
    }
    Pad& right(float x, float y) {
        state.axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = x;
        state.axes[GLFW_GAMEPAD_AXIS_RIGHT_Y] = y;
        return *this;
    }
    Pad& triggers(float lt, float rt) {
        state.axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = lt;
        state.axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = rt;
        return *this;
    }
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

} // namespace

TEST_F(PadTest, AFlickOfTheLeftStickIsOneTurnAndAHeldStickStaysOne) {
    // Up is negative on GLFW's y axis.
    const std::pair<Pad, std::string> flicks[] = {{Pad().left(0.0f, -1.0f), "UP"},
                                                  {Pad().left(0.0f, 1.0f), "DOWN"},
                                                  {Pad().left(-1.0f, 0.0f), "LEFT"},
                                                  {Pad().left(1.0f, 0.0f), "RIGHT"}};
    for (const auto& [pushed, key] : flicks) {
        EXPECT_EQ(game(pushed), "+" + key);
        for (int frame = 0; frame < 5; ++frame)
            EXPECT_EQ(game(pushed), "");
        EXPECT_EQ(game(Pad()), "-" + key);
        EXPECT_EQ(game(Pad()), "");
    }
}

TEST_F(PadTest, TheLeftStickFiresPastItsThresholdAndRearmsOnlyNearTheCentre) {
    // Inside the fire threshold nothing happens, however long.
    for (float x : {0.1f, kRearm, 0.5f, kFire - 0.01f, -(kFire - 0.01f)})
        EXPECT_EQ(game(Pad().left(x, 0.0f)), "") << x;
    EXPECT_EQ(game(Pad().left(kFire, 0.0f)), "+RIGHT");
    // Wobbling around the fire threshold, or coming back only part of the way, is still
    // the same flick.
    for (float x : {kFire - 0.01f, kFire + 0.01f, kFire - 0.01f, 1.0f, kRearm, kFire})
        EXPECT_EQ(game(Pad().left(x, 0.0f)), "") << x;
    EXPECT_EQ(game(Pad().left(kRearm - 0.01f, 0.0f)), "-RIGHT");
    EXPECT_EQ(game(Pad().left(kFire + 0.01f, 0.0f)), "+RIGHT");
}

TEST_F(PadTest, TheDominantAxisPicksTheTurnAndRollingRoundTheRimIsNoNewFlick) {
    EXPECT_EQ(game(Pad().left(0.7f, -0.9f)), "+UP");
    EXPECT_EQ(game(Pad()), "-UP");
    EXPECT_EQ(game(Pad().left(0.9f, -0.7f)), "+RIGHT");
    EXPECT_EQ(game(Pad()), "-RIGHT");
    EXPECT_EQ(game(Pad().left(-0.8f, 0.5f)), "+LEFT");
    EXPECT_EQ(game(Pad().left(-0.7f, 0.7f)), "");
    EXPECT_EQ(game(Pad().left(0.0f, 1.0f)), "");
    EXPECT_EQ(game(Pad().left(0.9f, 0.0f)), "");
    EXPECT_EQ(game(Pad()), "-LEFT");
}

TEST_F(PadTest, EachButtonPressesItsKeyOnceAndReleasesItWhenLetGo) {
    const std::pair<int, std::string> buttons[] = {{GLFW_GAMEPAD_BUTTON_X, "1"},
                                                   {GLFW_GAMEPAD_BUTTON_A, "2"},
                                                   {GLFW_GAMEPAD_BUTTON_B, "3"},
                                                   {GLFW_GAMEPAD_BUTTON_Y, "4"},
                                                   {GLFW_GAMEPAD_BUTTON_LEFT_BUMPER, "7"},
                                                   {GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER, "8"},
                                                   {GLFW_GAMEPAD_BUTTON_RIGHT_THUMB, "9"},
                                                   {GLFW_GAMEPAD_BUTTON_LEFT_THUMB, "T"},
                                                   {GLFW_GAMEPAD_BUTTON_START, "M"},
                                                   {GLFW_GAMEPAD_BUTTON_DPAD_UP, "UP"},
                                                   {GLFW_GAMEPAD_BUTTON_DPAD_DOWN, "DOWN"},
                                                   {GLFW_GAMEPAD_BUTTON_DPAD_LEFT, "LEFT"},
                                                   {GLFW_GAMEPAD_BUTTON_DPAD_RIGHT, "RIGHT"}};
    for (const auto& [button, key] : buttons) {
        EXPECT_EQ(game(Pad().down(button)), "+" + key);
        EXPECT_EQ(game(Pad().down(button)), "") << key << " repeated";
        EXPECT_EQ(game(Pad()), "-" + key);
        EXPECT_EQ(game(Pad()), "");
    }
    for (int button : {GLFW_GAMEPAD_BUTTON_GUIDE, GLFW_GAMEPAD_BUTTON_BACK}) {
        EXPECT_EQ(game(Pad().down(button)), "");
        EXPECT_EQ(game(Pad()), "");
    }
}

TEST_F(PadTest, TheMenuTakesArrowsEnterAndBackOnly) {
    const std::pair<Pad, std::string> menuKeys[] = {
        {Pad().down(GLFW_GAMEPAD_BUTTON_A), "ENTER"},
        {Pad().down(GLFW_GAMEPAD_BUTTON_B), "P"},
        {Pad().down(GLFW_GAMEPAD_BUTTON_START), "P"},
        {Pad().down(GLFW_GAMEPAD_BUTTON_DPAD_UP), "UP"},
        {Pad().down(GLFW_GAMEPAD_BUTTON_DPAD_LEFT), "LEFT"},
        {Pad().left(0.0f, 1.0f), "DOWN"},
        {Pad().left(1.0f, 0.0f), "RIGHT"}};
    for (const auto& [pad, key] : menuKeys) {
        EXPECT_EQ(menu(pad), "+" + key);
        EXPECT_EQ(menu(Pad()), "-" + key);
    }
    const Pad silent[] = {Pad().down(GLFW_GAMEPAD_BUTTON_X),
                          Pad().down(GLFW_GAMEPAD_BUTTON_Y),
                          Pad().down(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER),
                          Pad().down(GLFW_GAMEPAD_BUTTON_RIGHT_BUMPER),
                          Pad().down(GLFW_GAMEPAD_BUTTON_LEFT_THUMB),
                          Pad().down(GLFW_GAMEPAD_BUTTON_RIGHT_THUMB),
                          Pad().down(GLFW_GAMEPAD_BUTTON_BACK).down(GLFW_GAMEPAD_BUTTON_X),
                          Pad().right(-1.0f, 0.0f),
                          Pad().triggers(1.0f, 1.0f)};
    for (const Pad& pad : silent) {
        EXPECT_EQ(menu(pad), "");
        EXPECT_EQ(menu(Pad()), "");
    }
}

// A control's release gives back what its press gave, whatever the mode is by then; a
// push that began in the menu waits for the stick to come back before it acts in the game.
TEST_F(PadTest, AControlHeldAcrossTheMenuSwitchKeepsItsKey) {
    const Pad start = Pad().down(GLFW_GAMEPAD_BUTTON_START);
    EXPECT_EQ(game(start), "+M");
    EXPECT_EQ(menu(start), "");
    EXPECT_EQ(menu(Pad()), "-M");
    EXPECT_EQ(menu(start), "+P");
    EXPECT_EQ(game(Pad()), "-P");

    EXPECT_EQ(menu(Pad().right(-1.0f, 0.0f)), "");
    EXPECT_EQ(game(Pad().right(-1.0f, 0.0f)), "");
    EXPECT_EQ(game(Pad()), "");
    EXPECT_EQ(game(Pad().right(-1.0f, 0.0f)), "+A");
    EXPECT_EQ(menu(Pad().right(-1.0f, 0.0f)), "");
    EXPECT_EQ(menu(Pad()), "-A");

    EXPECT_EQ(game(Pad().triggers(1.0f, -1.0f)), "+J");
    EXPECT_EQ(menu(Pad()), "-J");
}

TEST_F(PadTest, BackIsAShiftForTheTogglesAndQuitsWithStart) {
    const Pad back = Pad().down(GLFW_GAMEPAD_BUTTON_BACK);
    EXPECT_EQ(game(back), "");
    const std::pair<int, std::string> chords[] = {{GLFW_GAMEPAD_BUTTON_X, "F2"},
                                                  {GLFW_GAMEPAD_BUTTON_A, "F3"},
                                                  {GLFW_GAMEPAD_BUTTON_B, "F9"}};
    for (const auto& [button, key] : chords) {
        EXPECT_EQ(game(Pad(back).down(button)), "+" + key);
        EXPECT_EQ(game(back), "-" + key);
    }
    EXPECT_EQ(game(Pad(back).down(GLFW_GAMEPAD_BUTTON_Y)), "");
    EXPECT_EQ(game(back), "");
    // BACK let go first: X still gives back F2, and the next X is a speed again.
    EXPECT_EQ(game(Pad(back).down(GLFW_GAMEPAD_BUTTON_X)), "+F2");
    EXPECT_EQ(game(Pad().down(GLFW_GAMEPAD_BUTTON_X)), "");
    EXPECT_EQ(game(Pad()), "-F2");
    EXPECT_EQ(game(Pad().down(GLFW_GAMEPAD_BUTTON_X)), "+1");
    EXPECT_EQ(game(Pad(back).down(GLFW_GAMEPAD_BUTTON_X)), "");
    EXPECT_EQ(game(back), "-1");

    // BACK + START quits for as long as both are down, in the game and in the menu, and
    // START does not open the menu on the way.
    const Pad chord = Pad(back).down(GLFW_GAMEPAD_BUTTON_START);
    EXPECT_EQ(game(chord), "quit");
    EXPECT_EQ(game(chord), "quit");
    EXPECT_EQ(game(back), "");
    EXPECT_EQ(menu(chord), "quit");
    EXPECT_EQ(menu(Pad().down(GLFW_GAMEPAD_BUTTON_START)), "");
    EXPECT_EQ(menu(Pad()), "");
}

TEST_F(PadTest, TheRightStickHoldsACameraKeyWhilePushed) {
    const std::pair<Pad, std::string> pushes[] = {{Pad().right(-0.8f, 0.0f), "A"},
                                                  {Pad().right(0.8f, 0.0f), "D"},
                                                  {Pad().right(0.0f, -0.8f), "W"},
                                                  {Pad().right(0.0f, 0.8f), "S"}};
    for (const auto& [pushed, key] : pushes) {
        EXPECT_EQ(game(pushed), "+" + key);
        EXPECT_EQ(game(pushed), "");
        EXPECT_EQ(game(Pad()), "-" + key);
    }
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
    EXPECT_EQ(game(Pad()), "-W");
}

TEST_F(PadTest, TriggersGiveOnePressPerPull) {
    constexpr float fire = GamepadMapper::kTriggerFire, rearm = GamepadMapper::kTriggerRearm;
    const auto axis = [](float pulled) { return pulled * 2.0f - 1.0f; };
    EXPECT_EQ(game(Pad().triggers(axis(fire - 0.01f), -1.0f)), "");
    EXPECT_EQ(game(Pad().triggers(axis(fire), -1.0f)), "+J");
    EXPECT_EQ(game(Pad().triggers(1.0f, -1.0f)), "");
    EXPECT_EQ(game(Pad().triggers(axis(rearm), -1.0f)), "");
    EXPECT_EQ(game(Pad().triggers(axis(rearm - 0.01f), -1.0f)), "-J");
    EXPECT_EQ(game(Pad().triggers(-1.0f, 1.0f)), "+K");
    EXPECT_EQ(game(Pad()), "-K");
}

// In one frame every release comes before every press, or a release of one button would
// stop the camera turn another control just began.
TEST_F(PadTest, ReleasesComeBeforePressesInAFrame) {
    EXPECT_EQ(game(Pad().down(GLFW_GAMEPAD_BUTTON_DPAD_RIGHT)), "+RIGHT");
    EXPECT_EQ(game(Pad().right(1.0f, 0.0f).down(GLFW_GAMEPAD_BUTTON_A)), "-RIGHT +2 +D");
    EXPECT_EQ(game(Pad().right(1.0f, 0.0f).down(GLFW_GAMEPAD_BUTTON_B)), "-2 +3");
}

TEST_F(PadTest, ADisconnectReleasesEveryHeldKeyAndTheNextPadStartsAfresh) {
    const Pad busy = Pad()
                         .right(-1.0f, 0.0f)
                         .left(0.0f, -1.0f)
                         .triggers(1.0f, -1.0f)
                         .down(GLFW_GAMEPAD_BUTTON_LEFT_BUMPER)
                         .down(GLFW_GAMEPAD_BUTTON_BACK);
    EXPECT_EQ(game(busy), "+7 +UP +A +J");
    const PadEvents& gone = mapper.disconnect();
    EXPECT_EQ(gone.size(), 4u);
    EXPECT_TRUE(std::all_of(gone.begin(), gone.end(),
                            [](const PadKey& event) { return event.action == GLFW_RELEASE; }));
    EXPECT_EQ(text(gone), "-7 -UP -A -J");
    EXPECT_EQ(text(mapper.disconnect()), ""); // nothing is released twice

    // A pad that comes with its sticks pushed and buttons down does nothing until let go.
    EXPECT_EQ(game(busy), "");
    EXPECT_EQ(game(busy), "");
    EXPECT_EQ(game(Pad().right(-1.0f, 0.0f)), "");
    EXPECT_EQ(game(Pad()), "");
    EXPECT_EQ(game(busy), "+7 +UP +A +J");
}

TEST(PadStart, AQuitChordHeldAtTheStartWaitsForANewPress) {
    GamepadMapper mapper;
    Pad chord = Pad().down(GLFW_GAMEPAD_BUTTON_BACK).down(GLFW_GAMEPAD_BUTTON_START);
    EXPECT_EQ(text(mapper.update(chord.state, false)), "");
    EXPECT_EQ(text(mapper.update(chord.state, false)), "");
    EXPECT_EQ(text(mapper.update(Pad(chord).up(GLFW_GAMEPAD_BUTTON_START).state, false)), "");
    EXPECT_EQ(text(mapper.update(chord.state, false)), "quit");
    // Partly pushed at the start is not pushed: going past the threshold acts.
    GamepadMapper partly;
    partly.update(Pad().left(0.5f, 0.0f).triggers(0.0f, 0.0f).state, false);
    EXPECT_EQ(text(partly.update(Pad().left(1.0f, 0.0f).triggers(1.0f, 0.0f).state, false)),
              "+RIGHT +J");
}

// --- The GLFW side, with a pretend joystick table ---

namespace {

struct FakeJoysticks {
    bool present[GLFW_JOYSTICK_LAST + 1] = {};
    bool gamepad[GLFW_JOYSTICK_LAST + 1] = {};
    GLFWgamepadstate state[GLFW_JOYSTICK_LAST + 1] = {};
    int badReads = 0; // reads of a joystick that is not a present gamepad
} joysticks;

bool valid(int jid) {
    return jid >= 0 && jid <= GLFW_JOYSTICK_LAST;
}

GamepadSource fakeSource() {
    return GamepadSource{
        [](int jid) { return valid(jid) && joysticks.present[jid] ? GLFW_TRUE : GLFW_FALSE; },
        [](int jid) {
            return valid(jid) && joysticks.present[jid] && joysticks.gamepad[jid] ? GLFW_TRUE
                                                                                  : GLFW_FALSE;
        },
        [](int jid, GLFWgamepadstate* state) {
            if (!valid(jid) || !joysticks.present[jid] || !joysticks.gamepad[jid]) {
                ++joysticks.badReads;
                return GLFW_FALSE;
            }
            *state = joysticks.state[jid];
            return GLFW_TRUE;
        }};
}

void plug(int jid, bool isGamepad, const Pad& pad = Pad()) {
    joysticks.present[jid] = true;
    joysticks.gamepad[jid] = isGamepad;
    joysticks.state[jid] = pad.state;
}

} // namespace

TEST(GamepadInput, FindsTheFirstGamepadAndFollowsItsComingAndGoing) {
    joysticks = FakeJoysticks{};
    GamepadInput input(fakeSource());
    for (int frame = 0; frame < 3; ++frame)
        EXPECT_TRUE(input.poll(false).empty());
    EXPECT_EQ(input.joystick(), -1);

    plug(1, false);                                   // a joystick GLFW has no mapping for
    plug(4, true, Pad().down(GLFW_GAMEPAD_BUTTON_X)); // X held as it is plugged in
    plug(9, true);
    EXPECT_TRUE(input.poll(false).empty());
    EXPECT_EQ(input.joystick(), 4);
    joysticks.state[4] = Pad().right(1.0f, 0.0f).state;
    EXPECT_EQ(text(input.poll(false)), "+D");

    // Unplugged: its held key is released; the other pad takes over from the next frame.
    joysticks.present[4] = false;
    input.joystickEvent(4, GLFW_DISCONNECTED);
    EXPECT_EQ(text(input.poll(false)), "-D");
    EXPECT_EQ(input.joystick(), -1);
    EXPECT_TRUE(input.poll(false).empty());
    EXPECT_EQ(input.joystick(), 9);
    joysticks.state[9] = Pad().down(GLFW_GAMEPAD_BUTTON_START).state;
    EXPECT_EQ(text(input.poll(true)), "+P");

    // Another joystick's disconnect is not this pad's.
    input.joystickEvent(1, GLFW_DISCONNECTED);
    EXPECT_EQ(text(input.poll(true)), "");
    EXPECT_EQ(input.joystick(), 9);

    // Gone before GLFW told anyone: the failed read counts as the disconnect.
    joysticks.present[9] = false;
    const int badReads = joysticks.badReads;
    EXPECT_EQ(text(input.poll(true)), "-P");
    EXPECT_EQ(input.joystick(), -1);
    EXPECT_EQ(joysticks.badReads, badReads + 1);
    EXPECT_TRUE(input.poll(false).empty());
    EXPECT_EQ(joysticks.badReads, badReads + 1); // no reads without a pad
}
