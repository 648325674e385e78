#pragma once
#include "scene/Geometry.h"

namespace drifthold::scene {

// Meteors and space junk spin in place about rotationAxis (in their own frame) at
// -40 degrees per second; a zero axis means no spin. placementMatrix never follows.
class Meteor : public Geometry {
public:
    using Geometry::Geometry;
    void update(double dt) override;
};

// Collected on contact.
class SpaceJunk : public Geometry {
public:
    using Geometry::Geometry;
    void update(double dt) override;
    float value() override;
};

} // namespace drifthold::scene
