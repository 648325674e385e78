#include "effects/MotionBlurPostprocessingTechnique.h"

#include "gfx/ShaderInterface.h"
#include "gfx/Uniforms.h"

namespace drifthold {

MotionBlurPostprocessingTechnique::MotionBlurPostprocessingTechnique() {
    buildProgram("Assets\\Shader\\fboquad.vert", "Assets\\Shader\\fboquad.frag",
                 "motion-blur program");
}

void MotionBlurPostprocessingTechnique::setViewProjection(glm::mat4 projection, glm::mat4 view) {
    viewProjection = projection * view;
}

void MotionBlurPostprocessingTechnique::setUniforms() {
    glUseProgram(program->handle);
    // The very first frame has nothing to blur against: it counts as standing still.
    if (firstFrame) {
        firstFrame = false;
        previousViewProjection = viewProjection;
    }
    uploadMatrix(program->uniformLocation(glsl::viewProjectionInverseMatrix),
                 glm::inverse(viewProjection));
    uploadMatrix(program->uniformLocation(glsl::previousViewProjectionMatrix),
                 previousViewProjection);
    previousViewProjection = viewProjection;
}

} // namespace drifthold
