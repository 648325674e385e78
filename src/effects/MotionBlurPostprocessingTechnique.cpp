#include "effects/MotionBlurPostprocessingTechnique.h"

#include "gfx/Uniforms.h"

namespace drifthold {

MotionBlurPostprocessingTechnique::MotionBlurPostprocessingTechnique() {
    buildProgram("Assets\\Shader\\fboquad.vert", "Assets\\Shader\\fboquad.frag");
    // What the blur draws for a still view: the scene's colour as it is.
    stillProgram =
        drifthold::buildProgram("Assets\\Shader\\fboquad.vert", "Assets\\Shader\\fboBasic.frag");
}

bool MotionBlurPostprocessingTechnique::viewMoved() const {
    return !firstFrame && viewProjection != previousViewProjection;
}

const ShaderProgram& MotionBlurPostprocessingTechnique::programForThisFrame() const {
    return viewMoved() ? *program : *stillProgram;
}

void MotionBlurPostprocessingTechnique::setViewProjection(glm::mat4 projection, glm::mat4 view) {
    viewProjection = projection * view;
}

void MotionBlurPostprocessingTechnique::setUniforms() {
    const bool moved = viewMoved();
    glUseProgram(program->handle);
    // The very first frame has nothing to blur against: it counts as standing still.
    if (firstFrame) {
        firstFrame = false;
        previousViewProjection = viewProjection;
    }
    const glm::mat4 inverse = glm::inverse(viewProjection);
    uploadMatrix(program->uniformLocation("viewProjectionInverseMatrix"), inverse);
    uploadMatrix(program->uniformLocation("previousViewProjectionMatrix"), previousViewProjection);
    previousViewProjection = viewProjection;
    if (!moved)
        glUseProgram(stillProgram->handle);
}

} // namespace drifthold
