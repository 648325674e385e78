#include "effects/MotionBlurPostprocessingTechnique.h"

#include <glm/gtc/type_ptr.hpp>

namespace drifthold {

MotionBlurPostprocessingTechnique::MotionBlurPostprocessingTechnique() {
    buildProgram("Assets\\Shader\\fboquad.vert", "Assets\\Shader\\fboquad.frag");
}

void MotionBlurPostprocessingTechnique::setViewProjection(glm::mat4 projection, glm::mat4 view) {
    viewProjection = projection * view;
}

void MotionBlurPostprocessingTechnique::setUniforms() {
    const GLuint handle = program->handle;
    glUseProgram(handle);
    // The very first frame has nothing to blur against: it counts as standing still.
    if (firstFrame) {
        firstFrame = false;
        previousViewProjection = viewProjection;
    }
    const glm::mat4 inverse = glm::inverse(viewProjection);
    glUniformMatrix4fv(glGetUniformLocation(handle, "viewProjectionInverseMatrix"), 1, GL_FALSE,
                       glm::value_ptr(inverse));
    glUniformMatrix4fv(glGetUniformLocation(handle, "previousViewProjectionMatrix"), 1, GL_FALSE,
                       glm::value_ptr(previousViewProjection));
    previousViewProjection = viewProjection;
}

} // namespace drifthold
