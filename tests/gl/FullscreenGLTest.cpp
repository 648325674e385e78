// Full screen on a real X server (Xvfb): a visible window of its own, since GLFW maps a
// window it puts in full screen, and the shared GL tests keep theirs hidden. Xvfb has no
// window manager, so GLFW places the window over the monitor itself; the server answers
// moves and resizes asynchronously, so every wait polls for a bounded time.
#include "app/Display.h"
#include "app/Window.h"

#include <gtest/gtest.h>

#include <ostream>

using namespace drifthold;

namespace {

GLFWwindow* window = nullptr;

struct Geometry {
    int x, y, width, height;
    bool operator==(const Geometry& other) const {
        return x == other.x && y == other.y && width == other.width && height == other.height;
    }
};

std::ostream& operator<<(std::ostream& out, const Geometry& g) {
    return out << g.width << "x" << g.height << " at " << g.x << "," << g.y;
}

Geometry geometry() {
    Geometry g{};
    glfwGetWindowPos(window, &g.x, &g.y);
    glfwGetWindowSize(window, &g.width, &g.height);
    return g;
}

// The window's geometry once it is `wanted`, or as it is after two seconds.
Geometry waitFor(const Geometry& wanted) {
    for (int i = 0; i < 100 && !(geometry() == wanted); ++i)
        glfwWaitEventsTimeout(0.02);
    return geometry();
}

Geometry monitorGeometry(GLFWmonitor* monitor) {
    Geometry g{};
    glfwGetMonitorPos(monitor, &g.x, &g.y);
    const GLFWvidmode* mode = glfwGetVideoMode(monitor);
    g.width = mode->width;
    g.height = mode->height;
    return g;
}

// A window at a known place and size, not in full screen.
void placeWindow(const Geometry& where) {
    glfwSetWindowMonitor(window, nullptr, where.x, where.y, where.width, where.height,
                         GLFW_DONT_CARE);
    ASSERT_EQ(waitFor(where), where);
}

} // namespace

// Two rounds from two windows: each comes back to where the window was just before it.
TEST(Fullscreen, CoversTheMonitorAtItsModeAndComesBackToTheWindow) {
    GLFWmonitor* primary = glfwGetPrimaryMonitor();
    ASSERT_NE(primary, nullptr);
    const Geometry screen = monitorGeometry(primary);
    Fullscreen fullscreen(window);
    for (const Geometry& windowed : {Geometry{100, 80, 640, 480}, Geometry{10, 20, 800, 600}}) {
        placeWindow(windowed);
        EXPECT_FALSE(fullscreen.active());
        fullscreen.toggle();
        EXPECT_TRUE(fullscreen.active());
        EXPECT_EQ(glfwGetWindowMonitor(window), primary);
        EXPECT_EQ(waitFor(screen), screen);
        int width = 0, height = 0;
        glfwGetFramebufferSize(window, &width, &height);
        EXPECT_EQ(width, screen.width);
        EXPECT_EQ(height, screen.height);
        // The settings keep the windowed size, not the screen's.
        fullscreen.windowedSize(width, height);
        EXPECT_EQ(width, windowed.width);
        EXPECT_EQ(height, windowed.height);
        // A second enter must not take the full-screen geometry for the windowed one.
        fullscreen.enter();

        fullscreen.toggle();
        EXPECT_FALSE(fullscreen.active());
        EXPECT_EQ(glfwGetWindowMonitor(window), nullptr);
        EXPECT_EQ(waitFor(windowed), windowed);
        fullscreen.leave(); // already windowed: stays put
        EXPECT_EQ(waitFor(windowed), windowed);
    }
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    window = openGameWindow(true);
    const int result = RUN_ALL_TESTS();
    glfwDestroyWindow(window);
    glfwTerminate();
    return result;
}
