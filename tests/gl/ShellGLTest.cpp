// The shell's pieces that need the real window: the gamepad through GLFW's own joystick
// functions (there is no pad under Xvfb), and the shell's keys in the real loop.
#include "gl/GLTest.h"

#include "app/Game.h"
#include "app/Input.h"
#include "platform/Gamepad.h"
#include "scene/Camera.h"
#include "scene/Spaceship.h"
#include "support/Capture.h"
#include "support/Environment.h"

using namespace drifthold;
using test::GLTest;

// Mappings for pads GLFW does not know come from SDL_GAMECONTROLLERCONFIG and from
// gamecontrollerdb.txt beside the settings. Comments and other systems' lines are passed
// over; each line GLFW refuses is one line on stderr naming where it came from.
TEST_F(GLTest, PadMappingsComeFromTheEnvironmentAndTheFileBesideTheSettings) {
    const std::string pad = "03000000de2800000112000001000000,Drifthold Test Pad,a:b0,b:b1,"
                            "x:b2,y:b3,back:b6,start:b7,leftx:a0,lefty:a1,platform:Linux,";
    const std::string config = test::tempFolder("pad_config");
    test::writeFile(config + "/drifthold", "gamecontrollerdb.txt",
                    "# a community database\r\n" + pad + "\r\n\r\n" +
                        "030000005e0400008e02000000000000,Other Pad,a:b0,platform:Windows,\n" +
                        "0300,Short Guid,a:b0,platform:Linux,\n" + pad.substr(0, 33) +
                        "A name and nothing after it\n");
    test::ScopedEnvironment environment(
        {{"XDG_CONFIG_HOME", config.c_str()}, {"SDL_GAMECONTROLLERCONFIG", pad.c_str()}});
    std::ostringstream errors;
    loadGamepadMappings(errors);
    const std::string refused =
        "drifthold: gamepad mapping refused (" + config + "/drifthold/gamecontrollerdb.txt line ";
    EXPECT_EQ(errors.str(), refused + "5): it does not start with the pad's 32-digit GUID\n" +
                                refused + "6): GLFW refused it: Invalid value for parameter\n");
    EXPECT_EQ(addGamepadMappings(pad + "\n" + pad, "test", errors), 2);
}

// The real loop with a pad: its Y reaches the game as the 4 key (top speed), and BACK with
// START ends the loop as Escape would. Should the chord do nothing, the pad closes the
// window after 40 reads so the test ends anyway.
TEST_F(GLTest, ThePadDrivesTheGameAndItsChordEndsTheLoop) {
    static int reads = 0;
    static GLFWwindow* playing = nullptr;
    reads = 0;
    playing = test::testWindow();
    const auto onlyZero = [](int jid) { return jid == 0 ? GLFW_TRUE : GLFW_FALSE; };
    GameOptions options;
    options.padSource = {onlyZero, onlyZero, [](int, GLFWgamepadstate* state) {
                             *state = GLFWgamepadstate{};
                             state->axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
                             state->axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;
                             ++reads;
                             state->buttons[GLFW_GAMEPAD_BUTTON_Y] = reads == 2;
                             state->buttons[GLFW_GAMEPAD_BUTTON_BACK] = reads >= 5;
                             state->buttons[GLFW_GAMEPAD_BUTTON_START] = reads >= 5;
                             if (reads > 40)
                                 glfwSetWindowShouldClose(playing, GLFW_TRUE);
                             return GLFW_TRUE;
                         }};
    std::unique_ptr<Game> game;
    test::stdoutOf([&] { game = std::make_unique<Game>(playing, nullptr, options); });
    test::stdoutOf([&] { game->run(); });
    glfwSetWindowShouldClose(playing, GLFW_FALSE);
    EXPECT_EQ(reads, 5) << "the loop ends in the frame the chord is read";
    EXPECT_EQ(game->context().spaceship->velocity, glm::vec3(0.6f, 0.0f, 0.0f));
    test::stdoutOf([&] { game.reset(); });
}

// The shell's keys act and then still go their usual way: F12 asks for a screenshot and
// reaches the free camera as any other key does, stopping the turn that A started.
TEST_F(GLTest, TheShellsKeysStillReachTheGame) {
    test::PlayedGame played;
    Game& game = *played.game;
    auto press = [&](int key) {
        test::stdoutOf([&] { keyCallback(test::testWindow(), key, 0, GLFW_PRESS, 0); });
    };
    auto view = [&] { return game.context().activeCamera->getViewMatrix(); };
    press(GLFW_KEY_7); // the free camera
    press(GLFW_KEY_A);
    const glm::mat4 before = view();
    played.frames(1);
    ASSERT_NE(view(), before) << "A turns the free camera";
    press(GLFW_KEY_F12);
    EXPECT_TRUE(game.shellKeys().takeScreenshotRequest()); // taken, so no file
    const glm::mat4 stopped = view();
    played.frames(1);
    EXPECT_EQ(view(), stopped) << "F12 stops the turn, as any key the camera does not use";
}
