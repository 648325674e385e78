#pragma once
#include <GLFW/glfw3.h>

namespace drifthold {

// A monitor's part of the desktop, in screen coordinates.
struct MonitorArea {
    int x, y, width, height;
};

// The index of the first area holding the point (x, y); 0, the primary, when none does;
// -1 when there is no area at all.
int monitorHolding(const MonitorArea* areas, int count, int x, int y);

// Borderless full screen for the game's window: the window covers the monitor that holds
// its centre at that monitor's current video mode (which GLFW takes as windowed full
// screen: the mode is not changed), and goes back to where it was and its size.
class Fullscreen {
public:
    explicit Fullscreen(GLFWwindow* window);

    bool active() const;
    void toggle();
    // Also how the game starts in full screen, on the window it has just opened: leaving
    // brings that window's position and size back. Does nothing when already full screen.
    void enter();
    // Does nothing when not full screen.
    void leave();

    // The size to keep in the settings: the window's own, or the one it will get back.
    void windowedSize(int& width, int& height) const;

private:
    GLFWwindow* const window;
    int x = 0, y = 0, width = 0, height = 0; // windowed, saved by enter()
};

} // namespace drifthold
