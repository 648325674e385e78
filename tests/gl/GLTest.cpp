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
    GLint depthFunc = 0, polygonMode[2] = {}, activeTexture = 0, vertexArray = 0;
    GLboolean depthMask = GL_FALSE;
    glm::vec4 clear(0.0f);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glGetIntegerv(GL_POLYGON_MODE, polygonMode);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &activeTexture);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &vertexArray);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthMask);
    glGetFloatv(GL_COLOR_CLEAR_VALUE, glm::value_ptr(clear));
    const GLfloat* grey = frameState::kClearColour;
    EXPECT_TRUE(bool(glIsEnabled(GL_DEPTH_TEST)) == frameState::kDepthTest &&
                GLenum(depthFunc) == frameState::kDepthFunc &&
                depthMask == frameState::kDepthMask &&
                GLenum(polygonMode[0]) == frameState::kPolygonMode &&
                bool(glIsEnabled(GL_RASTERIZER_DISCARD)) == frameState::kRasterizerDiscard &&
                GLenum(activeTexture) == frameState::kActiveTexture &&
                GLuint(vertexArray) == frameState::kVertexArray &&
                clear == glm::vec4(grey[0], grey[1], grey[2], grey[3]))
        << "after the " << kPassNames[static_cast<int>(current)] << " pass: depth test "
        << int(glIsEnabled(GL_DEPTH_TEST)) << ", function " << depthFunc << ", writes "
        << int(depthMask) << ", polygons " << polygonMode[0] << ", discard "
        << int(glIsEnabled(GL_RASTERIZER_DISCARD)) << ", texture unit "
        << activeTexture - GL_TEXTURE0 << ", vertex array " << vertexArray << ", clear " << clear.r
        << "," << clear.g << "," << clear.b;
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
