#include "scene/Light.h"

#include "gfx/ShaderInterface.h"
#include "gfx/ShaderProgram.h"

#include <glm/gtc/type_ptr.hpp>

namespace drifthold::scene {

void Light::upload(const ShaderProgram& program) const {
    glUniform3fv(program.uniformLocation(glsl::lightPosition), 1, glm::value_ptr(position));
    glUniform3fv(program.uniformLocation(glsl::lightAmbient), 1, glm::value_ptr(ambient));
    glUniform3fv(program.uniformLocation(glsl::lightDiffuse), 1, glm::value_ptr(diffuse));
    glUniform3fv(program.uniformLocation(glsl::lightSpecular), 1, glm::value_ptr(specular));
}

} // namespace drifthold::scene
