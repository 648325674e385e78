// What the reference frames cannot show of the effects, checked through drawn pixels: the
// motion blur's streak from every side and at two render sizes, and the particles' sprites
// in each lens and at two render sizes.
#include "gl/GLTest.h"

#include "effects/MotionBlurPostprocessingTechnique.h"
#include "effects/ParticleSystem.h"
#include "gfx/Framebuffer.h"

#define GLM_ENABLE_EXPERIMENTAL
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/string_cast.hpp>

#include <algorithm>
#include <cmath>
#include <vector>

using namespace drifthold;
using test::GLTest;

namespace {

const glm::mat4 kProjection =
    glm::perspective(glm::radians(kCameraFieldOfView), kFrameAspect, 0.01f, 30.0f);

glm::mat4 lookFrom(glm::vec3 eye) {
    return glm::lookAt(eye, glm::vec3(0), glm::vec3(0, 1, 0));
}

// The render sizes the effects are checked at: the frame's own, and twice it each way.
const PixelSize kSizes[] = {kFrameSize, {2 * kFrameWidth, 2 * kFrameHeight}};

// A scene image of black with a white vertical bar in the middle, at one depth; the bar is
// 8 pixels of the 1024-pixel frame wide at every size.
void paintBar(Framebuffer& scene, float depth) {
    const PixelSize size = scene.size();
    const int bar = 8 * size.width / kFrameWidth;
    glBindFramebuffer(GL_FRAMEBUFFER, scene.fbo);
    glViewport(0, 0, size.width, size.height);
    glClearDepth(depth);
    test::clearTo(glm::vec4(0, 0, 0, 1));
    glClearDepth(1.0);
    glEnable(GL_SCISSOR_TEST);
    glScissor(size.width / 2 - bar / 2, 0, bar, size.height);
    test::clearTo(glm::vec4(1, 1, 1, 1));
    glDisable(GL_SCISSOR_TEST);
}

// Brightness (0..255) of each pixel of the middle row of the bound read framebuffer.
std::vector<int> middleRow(PixelSize size = kFrameSize) {
    std::vector<unsigned char> rgba(size.width * 4);
    glReadPixels(0, size.height / 2, size.width, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    std::vector<int> row(size.width);
    for (int x = 0; x < size.width; ++x)
        row[x] = std::max({rgba[x * 4], rgba[x * 4 + 1], rgba[x * 4 + 2]});
    return row;
}

} // namespace

// A fast turn of the camera smears the bar along the way it came on screen: from where it
// is now towards where it was a frame ago, over the distance it moved, at most a tenth of
// the screen; from the side, from above, from straight ahead alike. A camera that stood
// still leaves the bar sharp.
TEST_F(GLTest, MotionBlurStreaksAlongTheWayTheSceneCame) {
    for (const PixelSize size : kSizes) {
        Framebuffer scene, blurred;
        scene.resize(size);
        blurred.resize(size);
        const float depth = 0.995f; // a few units beyond the play volume
        paintBar(scene, depth);
        const int middle = size.width / 2;
        const float pixel = static_cast<float>(size.width) / kFrameWidth; // one frame pixel
        struct Turn {
            glm::vec3 eye;
            float degrees; // yaw between the two frames
        };
        // From ahead, off the axes, from above, from behind (looking down +z), and fast.
        for (const Turn& turn :
             {Turn{{0, 0, 10}, 1.0f}, Turn{{6, 3, 7}, -1.0f}, Turn{{0, 9, 4}, 1.0f},
              Turn{{0, 0, -10}, 1.0f}, Turn{{0, 0, 10}, 12.0f}}) {
            SCOPED_TRACE(glm::to_string(turn.eye) + " turned " + std::to_string(turn.degrees) +
                         " at " + std::to_string(size.width));
            MotionBlurPostprocessingTechnique blur;
            const glm::mat4 before = lookFrom(turn.eye);
            const glm::mat4 after =
                glm::rotate(glm::mat4(1.0f), glm::radians(turn.degrees), glm::vec3(0, 1, 0)) *
                before;
            // Where the world point behind the bar's middle was a frame ago, in pixels.
            const glm::vec4 world = glm::inverse(kProjection * after) *
                                    glm::vec4(0.0f, 0.0f, depth * 2.0f - 1.0f, 1.0f);
            const glm::vec4 then = kProjection * before * (world / world.w);
            const float moved = (then.x / then.w) * 0.5f * size.width; // from the bar, signed
            glBindFramebuffer(GL_FRAMEBUFFER, blurred.fbo);
            blur.setViewProjection(kProjection, before);
            scene.drawWith(blur, *blur.program);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, blurred.fbo);
            const std::vector<int> still = middleRow(size);
            EXPECT_TRUE(still[middle] == 255 && still[middle + int(8 * pixel)] == 0);
            blur.setViewProjection(kProjection, after);
            scene.drawWith(blur, *blur.program);
            const std::vector<int> row = middleRow(size);
            glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
            const int side = moved > 0 ? 1 : -1;
            // The longest smear is the same share of the picture at every size.
            const float reach = std::min(std::fabs(moved), 0.06f * size.width);
            auto at = [&](float offset) { return row[middle + int(side * offset)]; };
            EXPECT_GT(at(0.7f * reach), 10) << "on the way it came, moved " << moved;
            int beyond = 0; // the brightest pixel past the end of the smear
            for (float offset = reach + 12.0f * pixel; offset < reach + 120.0f * pixel; ++offset)
                beyond = std::max(beyond, at(offset));
            EXPECT_EQ(beyond, 0) << "beyond the way it came";
            EXPECT_EQ(row[middle - side * int(16 * pixel)], 0) << "ahead of it";
        }
    }
}

// The middle row of a pool of launchers with these shells in these slots, drawn through
// `viewProjection` onto black.
std::vector<int> spriteRow(ParticleSystem& particles,
                           std::initializer_list<std::pair<size_t, Particle>> shells,
                           const glm::mat4& viewProjection, PixelSize size = kFrameSize) {
    std::vector<Particle> pool = initialParticles(glm::vec3(0.0f));
    for (const auto& [slot, shell] : shells)
        pool[slot] = shell;
    glBindBuffer(GL_ARRAY_BUFFER, particles.sourceBuffer);
    glBufferSubData(GL_ARRAY_BUFFER, 0, pool.size() * sizeof(Particle), pool.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    Framebuffer target;
    target.resize(size);
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    glViewport(0, 0, size.width, size.height);
    test::clearTo(glm::vec4(0, 0, 0, 1));
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    particles.render(viewProjection, glm::vec3(90, 0, 10));
    glBindFramebuffer(GL_READ_FRAMEBUFFER, target.fbo);
    const std::vector<int> row = middleRow(size);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    return row;
}

// Lit width and peak of a sprite within [from, to) of a row.
std::pair<int, int> sprite(const std::vector<int>& row, int from, int to) {
    std::pair<int, int> widthAndPeak{0, 0};
    for (int x = from; x < to; ++x) {
        widthAndPeak.first += row[x] > 10 ? 1 : 0;
        widthAndPeak.second = std::max(widthAndPeak.second, row[x]);
    }
    return widthAndPeak;
}

// A shell is drawn as a sprite whose size follows its depth and its transparency, in the
// lens that draws it: the cockpit's 60 degrees show it smaller than the cameras' 30. Right
// in front of the lens a sprite grows to its largest and no further. The last slot of the
// pool is drawn as much as the first; launchers are not drawn at all.
TEST_F(GLTest, ParticleSpritesTakeTheirSizeFromDepthTransparencyAndLens) {
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    const size_t last = ParticleSystem::kParticleCount - 1;
    const Particle bright{2.0f, {-1.0f, 0.0f, 0.0f}, glm::vec3(0.0f), 0.0f, 2000.0f, 1.0f};
    const Particle faint{2.0f, {1.0f, 0.0f, 0.0f}, glm::vec3(0.0f), 1000.0f, 2000.0f, 0.2f};
    const Particle close{2.0f, {0.0f, 0.0f, 9.6f}, glm::vec3(0.0f), 0.0f, 2000.0f, 1.0f};
    const glm::mat4 view = lookFrom({0, 0, 10});
    const glm::mat4 cockpit = glm::perspective(glm::radians(60.0f), kFrameAspect, 0.01f, 30.0f);
    // Points of 0.1 * 1433 / 10 * (1.2 + 1.3 * alpha) pixels through the cameras' lens, 36
    // and 21 wide (665 instead of 1433 through the cockpit's), of which the sprite's glow
    // lights the middle; 0.4 in front of the lens the size is held at 96. All of it in
    // pixels of the 1024x768 frame: at twice the size each sprite is twice as wide.
    std::vector<int> widths[2];
    for (const PixelSize size : kSizes) {
        const int k = size.width / kFrameWidth;
        particles.setRenderHeight(static_cast<float>(size.height));
        const std::vector<int> seen =
            spriteRow(particles, {{0, bright}, {last, faint}}, kProjection * view, size);
        EXPECT_GT(sprite(seen, 300 * k, 512 * k).second, 2 * sprite(seen, 512 * k, 724 * k).second);
        EXPECT_EQ(sprite(seen, 0, 300 * k).second + sprite(seen, 724 * k, size.width).second, 0);
        widths[k - 1] = {
            sprite(seen, 300 * k, 512 * k).first, sprite(seen, 512 * k, 724 * k).first,
            sprite(spriteRow(particles, {{0, bright}}, cockpit * view, size), 300 * k, 512 * k)
                .first,
            sprite(spriteRow(particles, {{0, close}}, kProjection * view, size), 0, size.width)
                .first};
    }
    particles.setRenderHeight(static_cast<float>(kFrameHeight));
    const int expected[] = {27, 9, 13, 72}, tolerance[] = {3, 3, 2, 4};
    for (size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_NEAR(widths[0][i], expected[i], tolerance[i]) << i;
        EXPECT_NEAR(widths[1][i], 2 * widths[0][i], 4) << i; // the glow's edge, a pixel or two
    }
}
