#include "gl/GLTest.h"

#include "states/GameState.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <unistd.h>

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

std::filesystem::path tempRoot() {
    return std::filesystem::path(::testing::TempDir()) /
           ("drifthold_gl_" + std::to_string(getpid()));
}

std::string tempFile(const std::string& name, const std::string& text) {
    const std::filesystem::path path = tempRoot() / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
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

PlayedGame::PlayedGame() {
    testing::internal::CaptureStdout();
    game = std::make_unique<Game>(window);
    testing::internal::GetCapturedStdout();
}

void PlayedGame::frames(int count, double seconds) {
    for (int i = 0; i < count; ++i)
        game->frame(seconds);
}

void PlayedGame::key(int key) {
    game->gameState->handleKey(key);
}

} // namespace drifthold::test

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Forking a process that holds a GL context (and its driver threads) is unsafe;
    // death tests re-run the binary instead.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    drifthold::test::window = drifthold::openGameWindow(false);
    drifthold::loadGLEntryPoints();
    const int result = RUN_ALL_TESTS();
    // A failed run keeps its files (the frames that did not match) to look at.
    if (result == 0) {
        std::error_code ignored;
        std::filesystem::remove_all(drifthold::test::tempRoot(), ignored);
    }
    glfwDestroyWindow(drifthold::test::window);
    glfwTerminate();
    return result;
}
