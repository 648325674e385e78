// Full screen on a real X server (Xvfb): a visible window of its own, since GLFW maps a
// window it puts in full screen, and the shared GL tests keep theirs hidden. Xvfb has no
// window manager, so GLFW places the window over the monitor itself; the server answers
// moves and resizes asynchronously, so every wait polls for a bounded time.
#include "app/Game.h"
#include "platform/Display.h"
#include "platform/Window.h"
#include "support/Capture.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

using namespace drifthold;

namespace {

GLFWwindow* window = nullptr;

using Geometry = std::array<int, 4>; // x, y, width, height

// The window's geometry once it is `wanted`, or as it is after two seconds.
Geometry waitFor(const Geometry& wanted) {
    Geometry g{};
    for (int i = 0; i < 100; ++i) {
        glfwGetWindowPos(window, &g[0], &g[1]);
        glfwGetWindowSize(window, &g[2], &g[3]);
        if (g == wanted)
            break;
        glfwWaitEventsTimeout(0.02);
    }
    return g;
}

} // namespace

// Two rounds from two windows: each comes back to where the window was just before it.
TEST(Fullscreen, CoversTheMonitorAtItsModeAndComesBackToTheWindow) {
    GLFWmonitor* primary = glfwGetPrimaryMonitor();
    ASSERT_NE(primary, nullptr);
    Geometry screen{};
    glfwGetMonitorPos(primary, &screen[0], &screen[1]);
    screen[2] = glfwGetVideoMode(primary)->width;
    screen[3] = glfwGetVideoMode(primary)->height;
    Fullscreen fullscreen(window);
    for (const Geometry& windowed : {Geometry{100, 80, 640, 480}, Geometry{10, 20, 800, 600}}) {
        glfwSetWindowMonitor(window, nullptr, windowed[0], windowed[1], windowed[2], windowed[3],
                             GLFW_DONT_CARE);
        ASSERT_EQ(waitFor(windowed), windowed);
        fullscreen.toggle();
        EXPECT_TRUE(fullscreen.active());
        EXPECT_EQ(glfwGetWindowMonitor(window), primary);
        EXPECT_EQ(waitFor(screen), screen);
        int width = 0, height = 0;
        glfwGetFramebufferSize(window, &width, &height);
        EXPECT_TRUE(width == screen[2] && height == screen[3]) << width << "x" << height;
        // The settings keep the windowed size, not the screen's.
        fullscreen.windowedSize(width, height);
        EXPECT_TRUE(width == windowed[2] && height == windowed[3]) << width << "x" << height;
        // A second enter must not take the full-screen geometry for the windowed one.
        fullscreen.enter();

        fullscreen.toggle();
        EXPECT_FALSE(fullscreen.active());
        EXPECT_EQ(waitFor(windowed), windowed);
        fullscreen.leave(); // already windowed: stays put
        EXPECT_EQ(waitFor(windowed), windowed);
    }
}

// The game at the window's own size: F11 takes the passes to the screen's 4:3 area
// (1280x960 of a 1280x1024 screen), and F11 again back to the window's.
TEST(Fullscreen, ThePassesFollowTheToggleAtTheWindowsSize) {
    glfwSetWindowMonitor(window, nullptr, 0, 0, 640, 480, GLFW_DONT_CARE);
    ASSERT_EQ(waitFor({0, 0, 640, 480}), (Geometry{0, 0, 640, 480}));
    GameOptions options;
    options.command.renderBasis = RenderSizeChoice::Basis::Window;
    std::unique_ptr<Game> game;
    test::captured([&] { game = std::make_unique<Game>(window, nullptr, options); });
    const auto sizeAfterAFrame = [&] {
        glfwWaitEventsTimeout(0.1);
        game->frame(1.0 / 30.0);
        return game->pipeline().renderSize();
    };
    EXPECT_EQ(sizeAfterAFrame(), (PixelSize{640, 480}));
    const GLFWvidmode* mode = glfwGetVideoMode(glfwGetPrimaryMonitor());
    for (const Geometry& wanted :
         {Geometry{0, 0, mode->width, mode->height}, Geometry{0, 0, 640, 480}}) {
        keyCallback(window, GLFW_KEY_F11, 0, GLFW_PRESS, 0);
        ASSERT_EQ(waitFor(wanted), wanted);
        EXPECT_EQ(
            sizeAfterAFrame(),
            renderSizeFor({RenderSizeChoice::Basis::Window, 100}, {wanted[2], wanted[3]}).size);
    }
    test::captured([&] { game.reset(); });
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    window = openGameWindow(true);
    loadGLEntryPoints();
    // The game played here makes its sound on OpenAL's silent device.
    setenv("ALSOFT_DRIVERS", "null", 0);
    const int result = RUN_ALL_TESTS();
    glfwDestroyWindow(window);
    glfwTerminate();
    return result;
}
