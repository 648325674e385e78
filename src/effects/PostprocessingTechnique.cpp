#include "effects/PostprocessingTechnique.h"

#include "gfx/Uniforms.h"

namespace drifthold {

void PostprocessingTechnique::buildProgram(const char* vertexFile, const char* fragmentFile) {
    program = std::make_unique<ShaderProgram>();
    program->attachShaderFile(vertexFile, GL_VERTEX_SHADER, vertexShader);
    program->attachShaderFile(fragmentFile, GL_FRAGMENT_SHADER, fragmentShader);
    program->link();
}

ShadowTexturePPT::ShadowTexturePPT() {
    buildProgram("Assets\\Shader\\shadowTexture.vert", "Assets\\Shader\\shadowTexture.frag");
}

void ShadowTexturePPT::setViewProjection(glm::mat4 projection, glm::mat4 view) {
    viewProjection = projection * view;
}

void ShadowTexturePPT::setUniforms() {
    glUseProgram(program->handle);
    uploadMatrix(program->uniformLocation("lightVP"), viewProjection);
}

ShadowMappingPPT::ShadowMappingPPT() {
    buildProgram("Assets\\Shader\\basicShadow.vert", "Assets\\Shader\\basicShadow.frag");
}

glm::mat4 ShadowMappingPPT::biasMatrix() {
    return glm::mat4(0.5f, 0.0f, 0.0f, 0.0f, //
                     0.0f, 0.5f, 0.0f, 0.0f, //
                     0.0f, 0.0f, 0.5f, 0.0f, //
                     0.5f, 0.5f, 0.5f, 1.0f);
}

void ShadowMappingPPT::setUniforms() {
    glUseProgram(program->handle);
    uploadMatrix(program->uniformLocation("VP"), projectionMatrix * viewMatrix);
    uploadMatrix(program->uniformLocation("viewMatrix"), viewMatrix);
    uploadMatrix(program->uniformLocation("projectionMatrix"), projectionMatrix);
    uploadMatrix(program->uniformLocation("bias"), biasMatrix());
}

} // namespace drifthold
