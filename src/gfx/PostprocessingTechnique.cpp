#include "gfx/PostprocessingTechnique.h"

namespace drifthold {

void PostprocessingTechnique::buildProgram(const char* vertexFile, const char* fragmentFile) {
    program = std::make_unique<ShaderProgram>();
    program->attachShaderFile(vertexFile, GL_VERTEX_SHADER, vertexShader);
    program->attachShaderFile(fragmentFile, GL_FRAGMENT_SHADER, fragmentShader);
    program->link();
}

} // namespace drifthold
