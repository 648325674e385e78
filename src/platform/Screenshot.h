#pragma once
#include <GLFW/glfw3.h>

#include <ctime>
#include <string>
#include <vector>

namespace drifthold {

// Pixels as glReadPixels gives them: the bottom row first, rows packed without padding,
// 3 (RGB) or 4 (RGBA, alpha ignored) bytes a pixel.
struct PixelView {
    const unsigned char* data = nullptr;
    int width = 0;
    int height = 0;
    int channels = 4;
};

// $XDG_PICTURES_DIR/Drifthold (see picturesDir); empty without a usable home.
std::string screenshotFolder();

// drifthold-2026-12-07-153012.png for the first attempt, then -2, -3, ... before .png.
std::string screenshotName(const std::tm& when, int attempt);

// Writes `pixels` as an RGB PNG in `folder` (made as needed) under the first name not yet
// taken for `when` (local time); never overwrites a file. Returns the one line for stderr,
// without a line end: the file written, or why none was.
std::string saveScreenshot(const PixelView& pixels, const std::string& folder, std::time_t when);

// The window's back buffer at its framebuffer size, RGBA, bottom row first. Binds the
// window's framebuffer for reading, as a frame leaves it.
std::vector<unsigned char> readBackBuffer(GLFWwindow* window, int& width, int& height);

// readBackBuffer, saved in screenshotFolder() as of now; the line for stderr. Call it after
// drawing a frame and before swapping.
std::string takeScreenshot(GLFWwindow* window);

} // namespace drifthold
