// The whole frame against committed reference images: the game built from its assets,
// played with fixed frame times, and each pass's result compared with a PNG under
// tests/reference. The images are kept at half size (2x2 averages) to keep the repository
// small; every fault worth catching here spans far more than a pixel.
// DRIFTHOLD_UPDATE_REFERENCES=1 rewrites the PNGs instead.
#include "gl/support/GLTest.h"

#include "app/Game.h"
#include "gfx/Framebuffer.h"
#include "states/GameState.h"

#include <FreeImage.h>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

using namespace drifthold;

namespace {

constexpr int kWidth = 512;
constexpr int kHeight = 384;

struct Image {
    std::vector<unsigned char> rgb; // rows bottom-up, as GL reads them
    bool empty() const { return rgb.empty(); }
};

// The 1024x768 image of a framebuffer, averaged down to kWidth x kHeight.
Image readImage(GLuint framebuffer, GLenum buffer) {
    glFinish();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    glReadBuffer(buffer);
    std::vector<unsigned char> full(static_cast<size_t>(kWidth) * kHeight * 12);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, kWidth * 2, kHeight * 2, GL_RGB, GL_UNSIGNED_BYTE, full.data());
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    Image image;
    image.rgb.resize(static_cast<size_t>(kWidth) * kHeight * 3);
    const size_t row = static_cast<size_t>(kWidth) * 2 * 3;
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x)
            for (int c = 0; c < 3; ++c) {
                const size_t p = static_cast<size_t>(y) * 2 * row + static_cast<size_t>(x) * 6 + c;
                const int sum = full[p] + full[p + 3] + full[p + row] + full[p + row + 3];
                image.rgb[(static_cast<size_t>(y) * kWidth + x) * 3 + c] =
                    static_cast<unsigned char>((sum + 2) / 4);
            }
    return image;
}

std::string referencePath(const std::string& name) {
    return "tests/reference/" + name + ".png";
}

void savePng(const Image& image, const std::string& path) {
    FIBITMAP* bitmap = FreeImage_Allocate(kWidth, kHeight, 24);
    for (int y = 0; y < kHeight; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        const unsigned char* source = &image.rgb[static_cast<size_t>(y) * kWidth * 3];
        for (int x = 0; x < kWidth; ++x) {
            row[x * 3 + FI_RGBA_RED] = source[x * 3 + 0];
            row[x * 3 + FI_RGBA_GREEN] = source[x * 3 + 1];
            row[x * 3 + FI_RGBA_BLUE] = source[x * 3 + 2];
        }
    }
    FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_COMPRESSION);
    FreeImage_Unload(bitmap);
}

Image loadPng(const std::string& path) {
    Image image;
    FIBITMAP* loaded = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (loaded == nullptr)
        return image;
    FIBITMAP* bitmap = FreeImage_ConvertTo24Bits(loaded);
    FreeImage_Unload(loaded);
    if (FreeImage_GetWidth(bitmap) == kWidth && FreeImage_GetHeight(bitmap) == kHeight) {
        image.rgb.resize(static_cast<size_t>(kWidth) * kHeight * 3);
        for (int y = 0; y < kHeight; ++y) {
            const BYTE* row = FreeImage_GetScanLine(bitmap, y);
            unsigned char* target = &image.rgb[static_cast<size_t>(y) * kWidth * 3];
            for (int x = 0; x < kWidth; ++x) {
                target[x * 3 + 0] = row[x * 3 + FI_RGBA_RED];
                target[x * 3 + 1] = row[x * 3 + FI_RGBA_GREEN];
                target[x * 3 + 2] = row[x * 3 + FI_RGBA_BLUE];
            }
        }
    }
    FreeImage_Unload(bitmap);
    return image;
}

struct Difference {
    double psnr = 0.0;     // over all channels, in dB
    double farShare = 0.0; // share of pixels with a channel off by more than kFar
    static constexpr int kFar = 24;
};

Difference compare(const Image& a, const Image& b) {
    double squares = 0.0;
    size_t far = 0;
    for (size_t p = 0; p < a.rgb.size(); p += 3) {
        int worst = 0;
        for (int c = 0; c < 3; ++c) {
            const int d = int(a.rgb[p + c]) - int(b.rgb[p + c]);
            squares += double(d) * d;
            worst = std::max(worst, std::abs(d));
        }
        far += worst > Difference::kFar ? 1 : 0;
    }
    Difference result;
    const double mse = squares / double(a.rgb.size());
    result.psnr = mse == 0.0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
    result.farShare = double(far) / double(a.rgb.size() / 3);
    return result;
}

// The game on the test window, played with fixed frame times instead of the clock.
class FixedTimeGame {
public:
    FixedTimeGame() {
        testing::internal::CaptureStdout();
        game = std::make_unique<Game>(test::testWindow());
        testing::internal::GetCapturedStdout();
    }
    void frames(int count, double dt = 1.0 / 30.0) {
        for (int i = 0; i < count; ++i)
            game->frame(dt);
    }
    void key(int key) { game->gameState->handleKey(key); }

    std::unique_ptr<Game> game;
};

bool updating() {
    const char* flag = std::getenv("DRIFTHOLD_UPDATE_REFERENCES");
    return flag != nullptr && std::string(flag) == "1";
}

// The picture may move by driver rounding (another CPU, another LLVM) but not by a pass,
// a texture or an object going missing: those cost tens of dB and far more pixels.
void expectLooksLike(const Image& image, const std::string& name) {
    if (updating()) {
        savePng(image, referencePath(name));
        return;
    }
    const Image reference = loadPng(referencePath(name));
    ASSERT_FALSE(reference.empty()) << referencePath(name) << " is missing or not 1024x768";
    const Difference d = compare(image, reference);
    if (d.psnr < 40.0 || d.farShare > 0.002)
        savePng(image, test::tempPath(name + ".actual.png"));
    EXPECT_GE(d.psnr, 40.0) << name << ": saved " << test::tempPath(name + ".actual.png");
    EXPECT_LE(d.farShare, 0.002) << name;
}

} // namespace

TEST(FrameReference, StartFlightTurningCameraAndCockpit) {
    FixedTimeGame game;
    game.frames(12);
    expectLooksLike(readImage(0, GL_BACK), "start-window");
    expectLooksLike(readImage(game.game->pipeline->shadowTextureBuffer.fbo, GL_COLOR_ATTACHMENT0),
                    "start-shadow-texture");

    game.key(GLFW_KEY_3);
    game.frames(30);
    expectLooksLike(readImage(0, GL_BACK), "flying-window");

    game.key(GLFW_KEY_A); // the free camera turns while A is held
    game.frames(8);
    expectLooksLike(readImage(0, GL_BACK), "turning-window");
    expectLooksLike(readImage(game.game->pipeline->shadowMappingBuffer.fbo, GL_COLOR_ATTACHMENT0),
                    "turning-shadow-mapping");
    game.key(-1);

    game.key(GLFW_KEY_9);
    game.frames(10);
    expectLooksLike(readImage(0, GL_BACK), "cockpit-window");
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

// A window of another shape shows the whole frame, centred at the largest 4:3 size that
// fits, with black bars beside or above and below it; the passes keep their size.
TEST(FrameReference, AResizedWindowShowsTheFrameLetterboxed) {
    FixedTimeGame game;
    GLFWwindow* window = test::testWindow();
    const struct {
        int width, height;
        Viewport frame;
    } cases[] = {{1280, 720, {160, 0, 960, 720}}, {800, 700, {0, 50, 800, 600}}};
    for (const auto& size : cases) {
        glfwSetWindowSize(window, size.width, size.height);
        for (int i = 0; i < 50; ++i) { // the server answers the resize asynchronously
            int width = 0, height = 0;
            glfwPollEvents();
            glfwGetFramebufferSize(window, &width, &height);
            if (width == size.width && height == size.height)
                break;
            glfwWaitEventsTimeout(0.02);
        }
        // The driver takes the window's new size at a swap, as in the game's loop.
        game.frames(1);
        glfwSwapBuffers(window);
        game.frames(1);
        glFinish();
        const Viewport& f = size.frame;
        // Nearest filtering: each window pixel shows exactly one texel of the frame.
        glBindFramebuffer(GL_READ_FRAMEBUFFER, game.game->pipeline->motionBlurBuffer.fbo);
        std::vector<test::Rgba> texels;
        const glm::vec2 spots[] = {{0.1f, 0.1f}, {0.5f, 0.5f}, {0.9f, 0.3f}, {0.3f, 0.95f}};
        for (glm::vec2 spot : spots) {
            const int x = static_cast<int>(spot.x * f.width),
                      y = static_cast<int>(spot.y * f.height);
            texels.push_back(test::readPixel((2 * x + 1) * kFrameWidth / (2 * f.width),
                                             (2 * y + 1) * kFrameHeight / (2 * f.height)));
        }
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        for (size_t i = 0; i < texels.size(); ++i) {
            const int x = static_cast<int>(spots[i].x * f.width),
                      y = static_cast<int>(spots[i].y * f.height);
            const test::Rgba shown = test::readPixel(f.x + x, f.y + y);
            EXPECT_TRUE(shown.r == texels[i].r && shown.g == texels[i].g && shown.b == texels[i].b)
                << size.width << "x" << size.height << " spot " << i;
        }
        const int barX = f.x > 0 ? f.x / 2 : f.width / 2;
        const int barY = f.y > 0 ? f.y / 2 : f.height / 2;
        const test::Rgba bar = test::readPixel(barX, barY);
        const test::Rgba farBar = test::readPixel(size.width - 1 - barX, size.height - 1 - barY);
        EXPECT_EQ(bar.r + bar.g + bar.b + farBar.r + farBar.g + farBar.b, 0)
            << size.width << "x" << size.height;
    }
    glfwSetWindowSize(window, kFrameWidth, kFrameHeight);
    for (int i = 0; i < 50; ++i) {
        int width = 0;
        glfwWaitEventsTimeout(0.02);
        glfwGetFramebufferSize(window, &width, nullptr);
        if (width == kFrameWidth)
            break;
    }
}
