// The shell's pieces that need the real window: reading its back buffer for a screenshot,
// and the gamepad through GLFW's own joystick functions (there is no pad under Xvfb).
#include "gl/GLTest.h"

#include "app/Gamepad.h"
#include "app/Screenshot.h"
#include "gfx/GLObject.h"
#include "support/Environment.h"

#include <FreeImage.h>

#include <filesystem>

using namespace drifthold;
using test::GLTest;

namespace {

bool isRed(const unsigned char* p) {
    return p[0] == 255 && p[1] == 0 && p[2] == 0;
}

bool isBlue(const unsigned char* p) {
    return p[0] == 0 && p[1] == 0 && p[2] == 255;
}

} // namespace

// A red 10x5 corner at the bottom left of a blue window: the whole framebuffer comes back,
// bottom row first, and the context's read state is as it was.
TEST_F(GLTest, AScreenshotHoldsTheWholeBackBufferTheRightWayUp) {
    GLfloat clearColour[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearColour);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glClearColor(0.0f, 0.0f, 1.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 10, 5);
    glClearColor(1.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(clearColour[0], clearColour[1], clearColour[2], clearColour[3]);

    const gl::Framebuffer offscreen = gl::Framebuffer::create();
    glReadBuffer(GL_FRONT); // the window's own read buffer, which must come back
    glBindFramebuffer(GL_READ_FRAMEBUFFER, offscreen);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    int width = 0, height = 0;
    const std::vector<unsigned char> pixels = readBackBuffer(test::testWindow(), width, height);
    GLint readFramebuffer = 0, alignment = 0, readBuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    glGetIntegerv(GL_PACK_ALIGNMENT, &alignment);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    EXPECT_EQ(GLuint(readFramebuffer), offscreen.id());
    EXPECT_EQ(alignment, 8);
    EXPECT_EQ(readBuffer, GL_FRONT);

    int frameWidth = 0, frameHeight = 0;
    glfwGetFramebufferSize(test::testWindow(), &frameWidth, &frameHeight);
    ASSERT_EQ(width, frameWidth);
    ASSERT_EQ(height, frameHeight);
    ASSERT_EQ(pixels.size(), std::size_t(width) * height * 4);
    const auto at = [&](int x, int y) { return &pixels[(std::size_t(y) * width + x) * 4]; };
    EXPECT_TRUE(isRed(at(0, 0)) && isRed(at(9, 4)));
    EXPECT_TRUE(isBlue(at(10, 0)) && isBlue(at(0, 5)) && isBlue(at(width - 1, height - 1)));

    // The same picture through to the file, in a temp pictures folder.
    const std::string pictures = (std::filesystem::path(::testing::TempDir()) /
                                  ("drifthold_shot_" + std::to_string(getpid())))
                                     .string();
    test::ScopedEnvironment environment({{"XDG_PICTURES_DIR", pictures.c_str()}});
    const std::string line = takeScreenshot(test::testWindow());
    const std::string prefix = "drifthold: screenshot saved to " + pictures + "/Drifthold/";
    ASSERT_EQ(line.rfind(prefix, 0), 0u) << line;
    const std::string path = line.substr(std::string("drifthold: screenshot saved to ").size());
    FIBITMAP* image = FreeImage_Load(FIF_PNG, path.c_str(), PNG_DEFAULT);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(FreeImage_GetWidth(image), unsigned(width));
    EXPECT_EQ(FreeImage_GetHeight(image), unsigned(height));
    RGBQUAD corner{}, above{};
    FreeImage_GetPixelColor(image, 0, 0, &corner); // FreeImage's row 0 is the bottom
    FreeImage_GetPixelColor(image, 0, height - 1, &above);
    EXPECT_TRUE(corner.rgbRed == 255 && corner.rgbGreen == 0 && corner.rgbBlue == 0);
    EXPECT_TRUE(above.rgbRed == 0 && above.rgbGreen == 0 && above.rgbBlue == 255);
    FreeImage_Unload(image);
    std::error_code ignored;
    std::filesystem::remove_all(pictures, ignored);
}

// No pad at all: nothing happens, nothing breaks, whatever the menu.
TEST_F(GLTest, WithoutAPadGlfwsJoysticksGiveNoEvents) {
    GamepadInput input;
    input.listen();
    for (int frame = 0; frame < 5; ++frame) {
        glfwPollEvents();
        EXPECT_TRUE(input.poll(frame % 2 == 1).empty());
        EXPECT_FALSE(input.poll(false).quit);
    }
    EXPECT_EQ(input.joystick(), -1);
}

// GLFW calls the one joystick callback; it reaches the listening instance, and none once
// that instance is gone. The pretend pad at 2 holds the right stick left from its second
// read on.
TEST_F(GLTest, TheJoystickCallbackReachesTheListeningInput) {
    static int reads = 0;
    const GamepadSource pad{[](int jid) { return jid == 2 ? GLFW_TRUE : GLFW_FALSE; },
                            [](int jid) { return jid == 2 ? GLFW_TRUE : GLFW_FALSE; },
                            [](int, GLFWgamepadstate* state) {
                                *state = GLFWgamepadstate{};
                                state->axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
                                state->axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;
                                state->axes[GLFW_GAMEPAD_AXIS_RIGHT_X] = reads++ ? -1.0f : 0.0f;
                                return GLFW_TRUE;
                            }};
    {
        GamepadInput input(pad);
        input.listen();
        const GLFWjoystickfun registered = glfwSetJoystickCallback(nullptr);
        ASSERT_EQ(registered, &GamepadInput::joystickCallback);
        EXPECT_TRUE(input.poll(false).empty());
        ASSERT_EQ(input.poll(false).size(), 1u);
        registered(2, GLFW_DISCONNECTED);
        const PadEvents& released = input.poll(false);
        ASSERT_EQ(released.size(), 1u);
        EXPECT_EQ(released.begin()->key, GLFW_KEY_A);
        EXPECT_EQ(released.begin()->action, GLFW_RELEASE);
    }
    GamepadInput::joystickCallback(2, GLFW_DISCONNECTED); // no instance: nothing to reach
}
