#pragma once
#include "gfx/GLObject.h"
#include "gfx/gl.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace drifthold {

// Owns one GL program object; every failure while building it is fatal.
class ShaderProgram {
public:
    ShaderProgram();
    ShaderProgram(ShaderProgram&&) noexcept = default;
    ShaderProgram& operator=(ShaderProgram&&) noexcept = default;

    // Reads, compiles and attaches one shader; `shader` receives its name. The shader
    // stays attached for the program's whole life and is deleted with it.
    void attachShaderFile(const std::string& path, GLenum type, GLuint& shader);
    // Binds "fragColor" to colour 0 and links.
    void link();

    // The location of the uniform `name` (-1 when the program has none), asked of GL the
    // first time and remembered after, so drawing looks nothing up by name and allocates
    // nothing. Only valid once linked.
    GLint uniformLocation(const char* name) const;

    gl::Program handle;

private:
    struct CachedLocation {
        char name[40];
        GLint location;
    };

    // Attached for the program's whole life; deleting one only flags it until the program
    // that holds it is deleted too.
    std::vector<gl::Shader> shaders_;
    mutable std::array<CachedLocation, 12> locations_{};
    mutable std::size_t cachedLocations_ = 0;
};

// The usual program: one vertex and one fragment shader file, linked.
std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertexPath,
                                            const std::string& fragmentPath);

} // namespace drifthold
