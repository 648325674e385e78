#include "scene/Light.h"

#include <glm/gtc/type_ptr.hpp>

namespace drifthold::scene {

void Light::upload(GLuint program) const {
    const GLint position_ = glGetUniformLocation(program, "lights[0].l_position");
    const GLint ambient_ = glGetUniformLocation(program, "lights[0].l_ambient");
    const GLint diffuse_ = glGetUniformLocation(program, "lights[0].l_diffuse");
    const GLint specular_ = glGetUniformLocation(program, "lights[0].l_specular");
    glUniform3fv(position_, 1, glm::value_ptr(position));
    glUniform3fv(ambient_, 1, glm::value_ptr(ambient));
    glUniform3fv(diffuse_, 1, glm::value_ptr(diffuse));
    glUniform3fv(specular_, 1, glm::value_ptr(specular));
}

} // namespace drifthold::scene
