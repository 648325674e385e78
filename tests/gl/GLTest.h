#pragma once
// What every GL test shares: one hidden 1024x768 window for the whole process, opened by
// the game's own start-up code, one fixture, and small read-back helpers.
#include "app/Game.h"
#include "gfx/ShaderProgram.h"
#include "platform/Window.h"
#include "support/Files.h"

#include <glm/glm.hpp>
#include <gtest/gtest.h>

#include <iosfwd>
#include <memory>
#include <string>

namespace drifthold::test {

GLFWwindow* testWindow();

// Leaves the context as a test found it (default framebuffer, no program, depth test,
// blending and rasterizer discard off) and fails on any GL error the test left behind.
class GLTest : public ::testing::Test {
protected:
    void TearDown() override;
};

struct Rgba {
    unsigned char r, g, b, a;
};
// One pixel of the bound read framebuffer.
Rgba readPixel(int x, int y);

// Clears the bound target's colour to `colour` and its depth, and puts the clear colour
// back as it was.
void clearTo(const glm::vec4& colour);

// Live GL objects of each kind among the low names: for leak checks. Programs and shaders
// deleted while still in use (current, held by transform feedback, attached) count as gone.
struct LiveObjects {
    int buffers = 0, vertexArrays = 0, programs = 0, shaders = 0, textures = 0, framebuffers = 0;
    bool operator==(const LiveObjects& other) const;
};
LiveObjects liveObjects();
std::ostream& operator<<(std::ostream& out, const LiveObjects& live);

// A parameter of the texture bound to GL_TEXTURE_2D.
GLint texParameter(GLenum name);

// A float, vector or matrix uniform as the program holds it.
template <class T> T uniform(GLuint program, const char* name) {
    T value{};
    glGetUniformfv(program, glGetUniformLocation(program, name), reinterpret_cast<float*>(&value));
    return value;
}

// Fails the test when a pass of the frame leaves GL in another state than the one the
// next pass starts from (gfx/FrameState.h): read back after every pass.
class FrameStateProbe : public PassProbe {
public:
    void begin(Pass pass) override { current = pass; }
    void end() override;
    void endFrame(bool) override {}

private:
    Pass current = Pass::Scene;
};

// The whole game on the test window, played with fixed frame times instead of the clock;
// its start-up lines are swallowed. Every pass of every frame is checked for the GL state
// it leaves behind.
struct PlayedGame {
    PlayedGame();
    void frames(int count, double seconds = 1.0 / 30.0);
    // A key as GLFW delivers it (M and P switch screens); -1 releases.
    void key(int key);

    std::unique_ptr<Game> game;
    FrameStateProbe stateProbe;
};

} // namespace drifthold::test
