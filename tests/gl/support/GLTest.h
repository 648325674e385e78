#pragma once
#include "app/Window.h"

#include <gtest/gtest.h>

#include <string>

namespace drifthold::test {

// The hidden window every GL test process opens once, with the game's own start-up code.
GLFWwindow* testWindow();

// Reads one pixel (RGBA8) of the currently bound read framebuffer.
struct Rgba {
    unsigned char r, g, b, a;
};
Rgba readPixel(int x, int y);

// Writes `text` to a file, creating folders as needed; returns the path.
std::string writeFile(const std::string& path, const std::string& text);

} // namespace drifthold::test
