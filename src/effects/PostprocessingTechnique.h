#pragma once
#include "gfx/ShaderProgram.h"
#include "gfx/gl.h"

#include <glm/glm.hpp>

#include <memory>

namespace drifthold {

// A full-screen pass: a program plus the uniforms it needs. Framebuffer::drawWith calls
// setUniforms, then binds the source's colour (unit 0) and depth (unit 1) textures.
// Techniques live for the whole run and are never deleted through this base.
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

    // Builds `program` from one vertex and one fragment shader file; failures are fatal.
    void buildProgram(const char* vertexFile, const char* fragmentFile);
};

// Carries the fixed light's view-projection, uploaded as "lightVP".
class ShadowTexturePPT : public PostprocessingTechnique {
public:
    ShadowTexturePPT();
    // Stores projection * view.
    void setViewProjection(glm::mat4 projection, glm::mat4 view);
    void setUniforms() override;

    glm::mat4 viewProjection{1.0f};
};

// Carries the camera's view and projection (written directly by the frame pipeline)
// and the bias that maps clip space to texture space.
class ShadowMappingPPT : public PostprocessingTechnique {
public:
    ShadowMappingPPT();
    void setUniforms() override;

    // Clip space [-1, 1] to texture coordinates and depth [0, 1].
    static glm::mat4 biasMatrix();

    glm::mat4 viewMatrix{1.0f};
    glm::mat4 projectionMatrix{1.0f};
};

} // namespace drifthold
