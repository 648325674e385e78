#include "platform/Screenshot.h"

#include "gfx/gl.h"
#include "platform/UserFolders.h"

#include <FreeImage.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace drifthold {

std::string screenshotFolder() {
    const std::string pictures = picturesDir();
    return pictures.empty() ? pictures : pictures + "/Drifthold";
}

std::string screenshotName(const std::tm& when, int attempt) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d-%H%M%S", &when);
    return std::string("drifthold-") + stamp +
           (attempt > 1 ? "-" + std::to_string(attempt) : std::string()) + ".png";
}

namespace {

using Bitmap = std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)>;
using Memory = std::unique_ptr<FIMEMORY, decltype(&FreeImage_CloseMemory)>;

// The PNG's bytes, or an empty string when FreeImage could not encode them.
std::string encodePng(const PixelView& pixels) {
    Bitmap bitmap(FreeImage_Allocate(pixels.width, pixels.height, 24), &FreeImage_Unload);
    if (!bitmap)
        return {};
    // FreeImage also keeps the bottom row first, but its bytes are in BGR order here.
    for (int y = 0; y < pixels.height; ++y) {
        const unsigned char* from =
            pixels.data + static_cast<std::size_t>(y) * pixels.width * pixels.channels;
        BYTE* to = FreeImage_GetScanLine(bitmap.get(), y);
        for (int x = 0; x < pixels.width; ++x, from += pixels.channels, to += 3) {
            to[FI_RGBA_RED] = from[0];
            to[FI_RGBA_GREEN] = from[1];
            to[FI_RGBA_BLUE] = from[2];
        }
    }
    Memory memory(FreeImage_OpenMemory(), &FreeImage_CloseMemory);
    BYTE* bytes = nullptr;
    DWORD size = 0;
    if (!memory || !FreeImage_SaveToMemory(FIF_PNG, bitmap.get(), memory.get(), PNG_DEFAULT) ||
        !FreeImage_AcquireMemory(memory.get(), &bytes, &size))
        return {};
    return std::string(reinterpret_cast<const char*>(bytes), size);
}

} // namespace

std::string saveScreenshot(const PixelView& pixels, const std::string& folder, std::time_t when) {
    const std::string failed = "drifthold: no screenshot saved";
    if (folder.empty())
        return failed + ": neither XDG_PICTURES_DIR nor HOME is an absolute folder";
    if (pixels.data == nullptr || pixels.width <= 0 || pixels.height <= 0 ||
        (pixels.channels != 3 && pixels.channels != 4))
        return failed + ": the window has no picture";
    const std::string png = encodePng(pixels);
    if (png.empty())
        return failed + ": the picture could not be encoded as PNG";
    const std::string madeFolder = makeFolders(folder, 0755);
    if (!madeFolder.empty())
        return failed + " in " + madeFolder;

    std::tm local{};
    localtime_r(&when, &local);
    // O_EXCL takes a name only if no file has it, even one written a moment ago by
    // another copy of the game.
    for (int attempt = 1; attempt < 1000; ++attempt) {
        const std::string path = folder + "/" + screenshotName(local, attempt);
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return failed + " in " + folder + ": " + std::strerror(errno);
        const bool written = writeAll(fd, png);
        const int writeError = errno;
        if (close(fd) != 0 || !written) {
            const int why = written ? errno : writeError;
            unlink(path.c_str());
            return failed + " to " + path + ": " + std::strerror(why);
        }
        return "drifthold: screenshot saved to " + path;
    }
    return failed + " in " + folder + ": every name for this second is taken";
}

std::vector<unsigned char> readBackBuffer(GLFWwindow* window, int& width, int& height) {
    glfwGetFramebufferSize(window, &width, &height);
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
    if (pixels.empty())
        return pixels; // minimised
    // The window's back buffer, which GL reads by default and the game never changes; a
    // frame ends with the window's framebuffer bound, so nothing needs putting back. RGBA
    // rows are whole words: the default pack alignment fits them.
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

std::string takeScreenshot(GLFWwindow* window) {
    int width = 0, height = 0;
    const std::vector<unsigned char> pixels = readBackBuffer(window, width, height);
    return saveScreenshot(PixelView{pixels.data(), width, height, 4}, screenshotFolder(),
                          std::time(nullptr));
}

} // namespace drifthold
