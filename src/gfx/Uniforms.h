#pragma once
#include "gfx/gl.h"

#include <glm/glm.hpp>
#include <glm/gtc/type_ptr.hpp>

namespace drifthold {

// One matrix into the current program; a location of -1 (a name the shader left out) is
// ignored by GL.
inline void uploadMatrix(GLint location, const glm::mat4& matrix) {
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(matrix));
}

} // namespace drifthold
