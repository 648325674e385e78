#pragma once
#include "scene/Collision.h"

#include <glm/glm.hpp>

#include <string>

namespace drifthold::scene {

// Everything drawn in the game scene. The model matrix is the only record of an object's
// pose; placementMatrix carries its collision box (see worldBox).
class SceneObject {
public:
    virtual ~SceneObject() = default;

    virtual void update(double dt) = 0;
    virtual void draw(glm::mat4 view, glm::mat4 projection) = 0;
    virtual void setVelocity(glm::vec3 velocity) = 0;
    virtual void setRotationAxis(glm::vec3 axis) = 0;
    // Greater than 0: the ship collects the object on contact; 0: an obstacle.
    virtual float value() = 0;

    // The object-space bounds carried into the world by placementMatrix.
    WorldBox worldBox() const;

    glm::mat4 modelMatrix{1.0f};
    glm::mat4 placementMatrix{1.0f};
    std::string name;
    glm::vec3 boundsMin{0.0f};
    glm::vec3 boundsMax{0.0f};
};

} // namespace drifthold::scene
