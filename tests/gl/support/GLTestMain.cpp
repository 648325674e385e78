#include "gl/support/GLTest.h"

#include <filesystem>
#include <fstream>
#include <ostream>
#include <unistd.h>

namespace drifthold::test {

namespace {
GLFWwindow* window = nullptr;
}

GLFWwindow* testWindow() {
    return window;
}

Rgba readPixel(int x, int y) {
    Rgba p{};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, &p);
    return p;
}

std::string writeFile(const std::string& path, const std::string& text) {
    std::filesystem::path p(path);
    if (p.has_parent_path())
        std::filesystem::create_directories(p.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

std::string tempPath(const std::string& name) {
    return ::testing::TempDir() + "drifthold_gl_" + std::to_string(getpid()) + "/" + name;
}

bool LiveObjects::operator==(const LiveObjects& other) const {
    return buffers == other.buffers && vertexArrays == other.vertexArrays &&
           programs == other.programs && shaders == other.shaders && textures == other.textures &&
           framebuffers == other.framebuffers;
}

// Programs and shaders that were deleted but are still in use (a program current or held
// by the driver's transform feedback, a shader attached to it) live on, flagged for
// deletion; they belong to nobody any more and count as gone.
LiveObjects liveObjects() {
    LiveObjects live;
    for (GLuint name = 1; name < 4000; ++name) {
        GLint deleted = GL_FALSE;
        live.buffers += glIsBuffer(name) ? 1 : 0;
        live.vertexArrays += glIsVertexArray(name) ? 1 : 0;
        if (glIsProgram(name)) {
            glGetProgramiv(name, GL_DELETE_STATUS, &deleted);
            live.programs += deleted ? 0 : 1;
        } else if (glIsShader(name)) {
            glGetShaderiv(name, GL_DELETE_STATUS, &deleted);
            live.shaders += deleted ? 0 : 1;
        }
        live.textures += glIsTexture(name) ? 1 : 0;
        live.framebuffers += glIsFramebuffer(name) ? 1 : 0;
    }
    return live;
}

std::ostream& operator<<(std::ostream& out, const LiveObjects& live) {
    return out << "buffers " << live.buffers << ", vertex arrays " << live.vertexArrays
               << ", programs " << live.programs << ", shaders " << live.shaders << ", textures "
               << live.textures << ", framebuffers " << live.framebuffers;
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
    glfwDestroyWindow(drifthold::test::window);
    glfwTerminate();
    return result;
}
