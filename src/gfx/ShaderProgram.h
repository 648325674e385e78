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

    // Reads, compiles and attaches one shader; `shader` receives its name. The program
    // owns the shader from then on.
    void attachShaderFile(const std::string& path, GLenum type, GLuint& shader);
    // Binds "fragColor" to colour 0 and links. The shaders are deleted once linked: they
    // stay attached, and go when the program goes.
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

    std::vector<gl::Shader> shaders_; // attached, not linked yet
    mutable std::array<CachedLocation, 12> locations_{};
    mutable std::size_t cachedLocations_ = 0;
};

// The usual program: one vertex and one fragment shader file, linked.
std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertexPath,
                                            const std::string& fragmentPath);

// The text of a shader file as it is compiled. A line `#include "name"` becomes the file
// `name` from the same folder, and the shared constants (SharedConstants.h) are declared
// right after the `#version` line; `#line` directives keep the compiler's line numbers
// those of the file (included files count as source strings 1, 2, ...). Returns false,
// with the path of the file that could not be opened in `missing`, when one is missing.
bool readShaderSource(const std::string& path, std::string& source, std::string& missing);

} // namespace drifthold
