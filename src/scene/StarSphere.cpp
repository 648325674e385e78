#include "scene/StarSphere.h"

#include "gfx/gl.h"
#include "scene/Geometry.h"

namespace drifthold::scene {

void StarSphere::render(glm::mat4 view, glm::mat4 projection) {
    GLint cullMode = GL_BACK;
    GLint depthFunc = GL_LESS;
    glGetIntegerv(GL_CULL_FACE_MODE, &cullMode);
    glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
    glDepthFunc(GL_LEQUAL);
    // Seen from inside: both faces. Culling stays on for everything drawn after it.
    glDisable(GL_CULL_FACE);
    geometry->draw(view, projection);
    glEnable(GL_CULL_FACE);
    glCullFace(static_cast<GLenum>(cullMode));
    glDepthFunc(static_cast<GLenum>(depthFunc));
}

} // namespace drifthold::scene
