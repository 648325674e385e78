#include "effects/PostprocessingTechnique.h"

#include <glm/gtc/type_ptr.hpp>

namespace drifthold {

namespace {

// Locations are looked up on every upload; a name the shader left out is simply ignored.
void uploadMatrix(GLuint program, const char* name, const glm::mat4& matrix) {
    glUniformMatrix4fv(glGetUniformLocation(program, name), 1, GL_FALSE, glm::value_ptr(matrix));
}

} // namespace

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
    uploadMatrix(program->handle, "lightVP", viewProjection);
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
    uploadMatrix(program->handle, "VP", projectionMatrix * viewMatrix);
    uploadMatrix(program->handle, "viewMatrix", viewMatrix);
    uploadMatrix(program->handle, "projectionMatrix", projectionMatrix);
    uploadMatrix(program->handle, "bias", biasMatrix());
}

} // namespace drifthold
