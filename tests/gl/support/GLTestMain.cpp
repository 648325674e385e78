#include "gl/support/GLTest.h"

#include <filesystem>
#include <fstream>

namespace drifthold::test {

namespace {
GLFWwindow* window = nullptr;
}

GLFWwindow* testWindow() { return window; }

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
    std::ofstream out(path, std::ios::binary);
    out << text;
    return path;
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
