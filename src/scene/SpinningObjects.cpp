#include "scene/SpinningObjects.h"

#include <glm/gtc/matrix_transform.hpp>

namespace drifthold::scene {

namespace {

void spin(glm::mat4& model, const glm::vec3& axis, double dt) {
    // A zero axis has no direction; glm::rotate would fill the matrix with NaN.
    if (axis == glm::vec3(0.0f))
        return;
    model = glm::rotate(model, glm::radians(static_cast<float>(dt) * -40.0f), axis);
}

} // namespace

void Meteor::update(double dt) {
    spin(modelMatrix, rotationAxis, dt);
}

void SpaceJunk::update(double dt) {
    spin(modelMatrix, rotationAxis, dt);
}

float SpaceJunk::value() {
    return 1000.0f;
}

} // namespace drifthold::scene
