#include "platform/Window.h"

#include "gfx/Fatal.h"

#include <cstdio>
#include <iostream>

namespace drifthold {

GLFWwindow* openGameWindow(bool visible) {
    // GLFW's own reason (no display, no GLX, ...) goes to stderr; stdout keeps the game's lines.
    glfwSetErrorCallback([](int code, const char* description) {
        std::fprintf(stderr, "GLFW error %d: %s\n", code, description);
    });
    if (!glfwInit()) {
        std::cout << "GLFW init failed" << std::endl;
        fatalEnding();
    }
    glfwWindowHint(GLFW_CONTEXT_VERSION_MAJOR, 3);
    glfwWindowHint(GLFW_CONTEXT_VERSION_MINOR, 3);
    glfwWindowHint(GLFW_OPENGL_PROFILE, GLFW_OPENGL_CORE_PROFILE);
    glfwWindowHint(GLFW_REFRESH_RATE, 60);
    if (!visible)
        glfwWindowHint(GLFW_VISIBLE, GLFW_FALSE);

    GLFWwindow* window = glfwCreateWindow(kFrameWidth, kFrameHeight, "Drifthold", nullptr, nullptr);
    if (window == nullptr) {
        glfwTerminate();
        std::cout << "Window initialization error" << std::endl;
        fatalEnding();
    }
    glfwMakeContextCurrent(window);
    return window;
}

void loadGLEntryPoints() {
    glewExperimental = GL_TRUE;
    const GLenum result = glewInit();
    if (result != GLEW_OK) {
        std::cout << glewGetErrorString(result);
        fatalEnding();
    }
    // Reading the error that glewInit may leave behind keeps later error checks honest.
    while (glGetError() != GL_NO_ERROR) {
    }
    glGenVertexArrays =
        reinterpret_cast<PFNGLGENVERTEXARRAYSPROC>(glfwGetProcAddress("glGenVertexArrays"));
    glBindVertexArray =
        reinterpret_cast<PFNGLBINDVERTEXARRAYPROC>(glfwGetProcAddress("glBindVertexArray"));
    glDeleteVertexArrays =
        reinterpret_cast<PFNGLDELETEVERTEXARRAYSPROC>(glfwGetProcAddress("glDeleteVertexArrays"));
    glGenerateMipmap =
        reinterpret_cast<PFNGLGENERATEMIPMAPPROC>(glfwGetProcAddress("glGenerateMipmap"));
}

} // namespace drifthold
