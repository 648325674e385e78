#include "scene/Collision.h"

namespace drifthold::scene {

namespace {

bool strictlyBetween(float value, float end0, float end1) {
    return (end0 < value && value < end1) || (end1 < value && value < end0);
}

} // namespace

bool boxesOverlap(const WorldBox& ship, const WorldBox& object) {
    for (int axis = 0; axis < 3; ++axis) {
        const float b0 = object.corner0[axis];
        const float b1 = object.corner1[axis];
        if (!strictlyBetween(ship.corner0[axis], b0, b1) &&
            !strictlyBetween(ship.corner1[axis], b0, b1))
            return false;
    }
    return true;
}

} // namespace drifthold::scene
