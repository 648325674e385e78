#include "gl/GLTest.h"

#include "gfx/FrameState.h"
#include "states/GameState.h"
#include "support/Capture.h"

#include <glm/gtc/type_ptr.hpp>

#include <ostream>

namespace drifthold::test {

static GLFWwindow* window = nullptr;

GLFWwindow* testWindow() {
    return window;
}

void GLTest::TearDown() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glUseProgram(0);
    for (GLenum capability : {GL_DEPTH_TEST, GL_BLEND, GL_RASTERIZER_DISCARD, GL_CULL_FACE})
        glDisable(capability);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

Rgba readPixel(int x, int y) {
    Rgba p{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    return p;
}

void clearTo(const glm::vec4& colour) {
    glm::vec4 previous(0.0f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, glm::value_ptr(previous));
    glClearColor(colour.r, colour.g, colour.b, colour.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(previous.r, previous.g, previous.b, previous.a);
}

bool LiveObjects::operator==(const LiveObjects& other) const {
    return buffers == other.buffers && vertexArrays == other.vertexArrays &&
           programs == other.programs && shaders == other.shaders && textures == other.textures &&
           framebuffers == other.framebuffers;
}

LiveObjects liveObjects() {
    LiveObjects live;
    for (GLuint name = 1; name < 4000; ++name) {
        GLint deleted = GL_FALSE;
        live.buffers += glIsBuffer(name) ? 1 : 0;
        live.vertexArrays += glIsVertexArray(name) ? 1 : 0;
        live.textures += glIsTexture(name) ? 1 : 0;
        live.framebuffers += glIsFramebuffer(name) ? 1 : 0;
        if (glIsProgram(name)) {
            glGetProgramiv(name, GL_DELETE_STATUS, &deleted);
            live.programs += deleted ? 0 : 1;
        } else if (glIsShader(name)) {
            glGetShaderiv(name, GL_DELETE_STATUS, &deleted);
            live.shaders += deleted ? 0 : 1;
        }
    }
    return live;
}

std::ostream& operator<<(std::ostream& out, const LiveObjects& live) {
    return out << "buffers " << live.buffers << ", vertex arrays " << live.vertexArrays
               << ", programs " << live.programs << ", shaders " << live.shaders << ", textures "
               << live.textures << ", framebuffers " << live.framebuffers;
}

GLint texParameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

void FrameStateProbe::end() {
    const auto integer = [](GLenum name) {
        GLint values[4] = {}; // the polygon mode is two
        glGetIntegerv(name, values);
        return values[0];
    };
    glm::vec4 clear(0.0f);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, glm::value_ptr(clear));
    const GLfloat* grey = frameState::kClearColour;
    const std::pair<const char*, bool> held[] = {
        {"depth test", bool(glIsEnabled(GL_DEPTH_TEST)) == frameState::kDepthTest},
        {"depth function", GLenum(integer(GL_DEPTH_FUNC)) == frameState::kDepthFunc},
        {"depth writes", GLboolean(integer(GL_DEPTH_WRITEMASK)) == frameState::kDepthMask},
        {"polygon mode", GLenum(integer(GL_POLYGON_MODE)) == frameState::kPolygonMode},
        {"discard", bool(glIsEnabled(GL_RASTERIZER_DISCARD)) == frameState::kRasterizerDiscard},
        {"texture unit", GLenum(integer(GL_ACTIVE_TEXTURE)) == frameState::kActiveTexture},
        {"vertex array", GLuint(integer(GL_VERTEX_ARRAY_BINDING)) == frameState::kVertexArray},
        {"clear colour", clear == glm::vec4(grey[0], grey[1], grey[2], grey[3])}};
    for (const auto& [what, kept] : held)
        EXPECT_TRUE(kept) << what << " after the " << kPassNames[static_cast<int>(current)]
                          << " pass";
}

PlayedGame::PlayedGame() {
    stdoutOf([this] { game = std::make_unique<Game>(window); });
    game->pipeline().setProbe(&stateProbe);
}

void PlayedGame::frames(int count, double seconds) {
    for (int i = 0; i < count; ++i)
        game->frame(seconds);
}

void PlayedGame::key(int key) {
    // The way GLFW hands keys to the game; any key's release reaches the states as -1.
    if (key < 0)
        keyCallback(testWindow(), GLFW_KEY_UNKNOWN, 0, GLFW_RELEASE, 0);
    else
        keyCallback(testWindow(), key, 0, GLFW_PRESS, 0);
}

} // namespace drifthold::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // The games these tests play make their sound on OpenAL's silent device.
    setenv("ALSOFT_DRIVERS", "null", 0);
    drifthold::test::window = drifthold::openGameWindow(false);
    drifthold::loadGLEntryPoints();
    const int result = RUN_ALL_TESTS();
    glfwDestroyWindow(drifthold::test::window);
    glfwTerminate();
    return result;
}
