#pragma once
#include "gfx/gl.h"

#include <memory>
#include <string>

namespace drifthold {

// Owns one GL program object; every failure while building it is fatal.
class ShaderProgram {
public:
    ShaderProgram();
    ShaderProgram(const ShaderProgram&) = delete;
    ShaderProgram& operator=(const ShaderProgram&) = delete;

    // Reads, compiles and attaches one shader; `shader` receives its name.
    void attachShaderFile(const std::string& path, GLenum type, GLuint& shader);
    // Binds "fragColor" to colour 0 and links.
    void link();

    GLuint handle = 0;
};

// The usual program: one vertex and one fragment shader file, linked.
std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertexPath,
                                            const std::string& fragmentPath);

} // namespace drifthold
