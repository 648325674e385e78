#include "scene/SceneObject.h"

namespace drifthold::scene {

WorldBox SceneObject::worldBox() const {
    // Affine placements only, so no division by w; the corners stay unsorted.
    WorldBox box;
    box.corner0 = glm::vec3(placementMatrix * glm::vec4(boundsMin, 1.0f));
    box.corner1 = glm::vec3(placementMatrix * glm::vec4(boundsMax, 1.0f));
    return box;
}

} // namespace drifthold::scene
