#pragma once
#include "app/Window.h"
#include "gfx/ShaderProgram.h"

#include <gtest/gtest.h>

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

namespace drifthold::test {

// The hidden window every GL test process opens once, with the game's own start-up code.
GLFWwindow* testWindow();

// Reads one pixel (RGBA8) of the currently bound read framebuffer.
struct Rgba {
    unsigned char r, g, b, a;
};
Rgba readPixel(int x, int y);

// Writes `text` to a file, creating folders as needed; returns the path.
std::string writeFile(const std::string& path, const std::string& text);
// A file path in this process's own temp folder.
std::string tempPath(const std::string& name);

using drifthold::buildProgram;
inline std::unique_ptr<ShaderProgram> basicProgram() {
    return buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\basic.frag");
}

// Live GL objects of each kind among the low names: for leak checks.
struct LiveObjects {
    int buffers = 0, vertexArrays = 0, programs = 0, shaders = 0, textures = 0, framebuffers = 0;
    bool operator==(const LiveObjects& other) const;
};
LiveObjects liveObjects();
std::ostream& operator<<(std::ostream& out, const LiveObjects& live);

// A parameter, or a level-0 parameter, of the texture bound to GL_TEXTURE_2D.
inline GLint texParameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}
inline GLint texLevel(GLenum name, GLint level = 0) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, name, &value);
    return value;
}

// A float, vector or matrix uniform as the program holds it.
template <class T> T uniform(GLuint program, const char* name) {
    T value{};
    glGetUniformfv(program, glGetUniformLocation(program, name), reinterpret_cast<float*>(&value));
    return value;
}

} // namespace drifthold::test
