#include "scene/Light.h"

#include <glm/gtc/type_ptr.hpp>

namespace drifthold::scene {

void Light::upload(GLuint program) const {
    const GLint positionLocation = glGetUniformLocation(program, "lights[0].l_position");
    const GLint ambientLocation = glGetUniformLocation(program, "lights[0].l_ambient");
    const GLint diffuseLocation = glGetUniformLocation(program, "lights[0].l_diffuse");
    const GLint specularLocation = glGetUniformLocation(program, "lights[0].l_specular");
    glUniform3fv(positionLocation, 1, glm::value_ptr(position));
    glUniform3fv(ambientLocation, 1, glm::value_ptr(ambient));
    glUniform3fv(diffuseLocation, 1, glm::value_ptr(diffuse));
    glUniform3fv(specularLocation, 1, glm::value_ptr(specular));
}

} // namespace drifthold::scene
