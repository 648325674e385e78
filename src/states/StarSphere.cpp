#include "states/StarSphere.h"

#include "gfx/gl.h"
#include "scene/Geometry.h"

namespace drifthold {

void StarSphere::render(glm::mat4 view, glm::mat4 projection) {
    GLint cullMode = GL_BACK;
    GLint depthFunc = GL_LESS;
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    // The sky is the backdrop and opaque: blending it over the clear colour would change
    // no pixel, but would read the whole image back on the software renderer.
    const GLboolean blending = glIsEnabled(GL_BLEND);
    glDisable(GL_BLEND);
    glDepthFunc(GL_LEQUAL);
    glDisable(GL_CULL_FACE);
    geometry->draw(view, projection);
    if (blending)
        glEnable(GL_BLEND);
    glEnable(GL_CULL_FACE);
    glCullFace(static_cast<GLenum>(cullMode));
    glDepthFunc(static_cast<GLenum>(depthFunc));
}

} // namespace drifthold
