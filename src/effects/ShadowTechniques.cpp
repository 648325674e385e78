#include "effects/ShadowTechniques.h"

#include "gfx/ShaderInterface.h"
#include "gfx/Uniforms.h"

namespace drifthold {

ShadowTexturePPT::ShadowTexturePPT() {
    buildProgram("Assets\\Shader\\shadowTexture.vert", "Assets\\Shader\\shadowTexture.frag",
                 "shadow-texture program");
}

void ShadowTexturePPT::setViewProjection(glm::mat4 projection, glm::mat4 view) {
    viewProjection = projection * view;
}

void ShadowTexturePPT::setUniforms() {
    glUseProgram(program->handle);
    uploadMatrix(program->uniformLocation(glsl::lightVP), viewProjection);
}

ShadowMappingPPT::ShadowMappingPPT() {
    buildProgram("Assets\\Shader\\basicShadow.vert", "Assets\\Shader\\basicShadow.frag",
                 "shadow-mapping program");
}

glm::mat4 ShadowMappingPPT::biasMatrix() {
    return glm::mat4(0.5f, 0.0f, 0.0f, 0.0f, //
                     0.0f, 0.5f, 0.0f, 0.0f, //
                     0.0f, 0.0f, 0.5f, 0.0f, //
                     0.5f, 0.5f, 0.5f, 1.0f);
}

void ShadowMappingPPT::setUniforms() {
    glUseProgram(program->handle);
    uploadMatrix(program->uniformLocation(glsl::VP), projectionMatrix * viewMatrix);
    uploadMatrix(program->uniformLocation(glsl::viewMatrix), viewMatrix);
    uploadMatrix(program->uniformLocation(glsl::projectionMatrix), projectionMatrix);
    uploadMatrix(program->uniformLocation(glsl::bias), biasMatrix());
}

} // namespace drifthold
