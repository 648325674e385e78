#pragma once
#include <glm/glm.hpp>

namespace drifthold::scene {

// A collision box in world space: the images of an object's two bound corners.
// The corners are not sorted; after a rotation corner0 may be the larger on an axis.
struct WorldBox {
    glm::vec3 corner0{0.0f};
    glm::vec3 corner1{0.0f};
};

// True when, on each of x, y and z, one of the ship's corners lies strictly inside the
// object's extent. Not symmetric: a ship box that encloses a thin object misses it.
bool boxesOverlap(const WorldBox& ship, const WorldBox& object);

} // namespace drifthold::scene
