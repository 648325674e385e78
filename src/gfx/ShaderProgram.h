#pragma once
#include "gfx/GLObject.h"
#include "gfx/gl.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace drifthold {

// Owns one GL program object; every failure while building it is fatal.
//
// Linking resolves every active uniform and vertex input once: from then on a location is
// a look-up in the program's own table, with no GL call and no allocation, however often
// it is asked for.
class ShaderProgram {
public:
    ShaderProgram();
    ShaderProgram(ShaderProgram&&) noexcept = default;
    ShaderProgram& operator=(ShaderProgram&&) noexcept = default;

    // Reads, compiles and attaches one shader; `shader` receives its name. The shader
    // stays attached for the program's whole life and is deleted with it.
    void attachShaderFile(const std::string& path, GLenum type, GLuint& shader);
    // Binds "fragColor" to colour 0, links, and resolves the locations.
    void link();

    // The location of uniform `name`, or -1 when the program has no such active uniform
    // (GL ignores uploads to -1). An array's first element answers to its bare name too.
    GLint uniformLocation(const char* name) const;
    // The location of vertex input `name`, or -1.
    GLint attributeLocation(const char* name) const;

    gl::Program handle;

private:
    struct Location {
        std::string name;
        GLint location;
    };
    using Locations = std::vector<Location>; // sorted by name

    void resolveLocations();
    static GLint find(const Locations& table, const char* name);

    // Attached for the program's whole life; deleting one only flags it until the program
    // that holds it is deleted too.
    std::vector<gl::Shader> shaders_;
    Locations uniforms_;
    Locations attributes_;
};

// The usual program: one vertex and one fragment shader file, linked. A debugger sees it
// as `label`, by default "<fragment file's stem> program" ("basic program").
std::unique_ptr<ShaderProgram> buildProgram(const std::string& vertexPath,
                                            const std::string& fragmentPath,
                                            std::string_view label = {});

} // namespace drifthold
