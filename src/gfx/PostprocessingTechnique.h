#pragma once
#include "gfx/ShaderProgram.h"
#include "gfx/gl.h"

#include <memory>
#include <string_view>

namespace drifthold {

// A full-screen pass: a program plus the uniforms it needs. Framebuffer::drawWith calls
// setUniforms, then binds the source's colour (unit 0) and depth (unit 1) textures. The
// techniques themselves (shadows, motion blur) are effects; this is the interface the
// framebuffer draws through. Techniques live for the whole run and are never deleted
// through this base.
class PostprocessingTechnique {
public:
    PostprocessingTechnique(const PostprocessingTechnique&) = delete;
    PostprocessingTechnique& operator=(const PostprocessingTechnique&) = delete;

    // Makes `program` current and uploads this technique's uniforms.
    virtual void setUniforms() {}

    std::unique_ptr<ShaderProgram> program;
    GLuint vertexShader = 0;
    GLuint fragmentShader = 0;

protected:
    PostprocessingTechnique() = default;
    ~PostprocessingTechnique() = default;

    // Builds `program` from one vertex and one fragment shader file, labelled `label` for a
    // debugger; failures are fatal.
    void buildProgram(const char* vertexFile, const char* fragmentFile, std::string_view label);
};

} // namespace drifthold
