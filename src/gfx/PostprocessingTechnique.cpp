#include "gfx/PostprocessingTechnique.h"

#include "gfx/DebugLabels.h"

namespace drifthold {

void PostprocessingTechnique::buildProgram(const char* vertexFile, const char* fragmentFile,
                                           std::string_view label) {
    program = std::make_unique<ShaderProgram>();
    program->attachShaderFile(vertexFile, GL_VERTEX_SHADER, vertexShader);
    program->attachShaderFile(fragmentFile, GL_FRAGMENT_SHADER, fragmentShader);
    program->link();
    labelGLObject(GL_PROGRAM, program->handle, label);
}

} // namespace drifthold
