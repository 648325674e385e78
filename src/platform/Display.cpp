#include "platform/Display.h"

#include <iostream>
#include <vector>

namespace drifthold {

int monitorHolding(const MonitorArea* areas, int count, int x, int y) {
    for (int i = 0; i < count; ++i) {
        const MonitorArea& area = areas[i];
        if (x >= area.x && x < area.x + area.width && y >= area.y && y < area.y + area.height)
            return i;
    }
    return count > 0 ? 0 : -1;
}

Fullscreen::Fullscreen(GLFWwindow* gameWindow) : window(gameWindow) {
    glfwGetWindowSize(window, &width, &height);
}

bool Fullscreen::active() const {
    return glfwGetWindowMonitor(window) != nullptr;
}

void Fullscreen::toggle() {
    if (active())
        leave();
    else
        enter();
}

void Fullscreen::enter() {
    if (active())
        return;
    int count = 0;
    GLFWmonitor** monitors = glfwGetMonitors(&count);
    std::vector<MonitorArea> areas;
    for (int i = 0; i < count; ++i) {
        MonitorArea area{0, 0, 0, 0};
        glfwGetMonitorPos(monitors[i], &area.x, &area.y);
        if (const GLFWvidmode* mode = glfwGetVideoMode(monitors[i])) {
            area.width = mode->width;
            area.height = mode->height;
        }
        areas.push_back(area);
    }
    int windowX = 0, windowY = 0, windowWidth = 0, windowHeight = 0;
    glfwGetWindowPos(window, &windowX, &windowY);
    glfwGetWindowSize(window, &windowWidth, &windowHeight);
    const int index =
        monitorHolding(areas.data(), count, windowX + windowWidth / 2, windowY + windowHeight / 2);
    const GLFWvidmode* mode = index >= 0 ? glfwGetVideoMode(monitors[index]) : nullptr;
    if (mode == nullptr) {
        std::cerr << "drifthold: no monitor to play in full screen on" << std::endl;
        return;
    }
    x = windowX;
    y = windowY;
    width = windowWidth;
    height = windowHeight;
    glfwSetWindowMonitor(window, monitors[index], 0, 0, mode->width, mode->height,
                         mode->refreshRate);
}

void Fullscreen::leave() {
    if (!active())
        return;
    glfwSetWindowMonitor(window, nullptr, x, y, width, height, GLFW_DONT_CARE);
}

void Fullscreen::windowedSize(int& windowWidth, int& windowHeight) const {
    if (active()) {
        windowWidth = width;
        windowHeight = height;
    } else {
        glfwGetWindowSize(window, &windowWidth, &windowHeight);
    }
}

} // namespace drifthold
