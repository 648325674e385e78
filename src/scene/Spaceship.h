#pragma once
#include "scene/Geometry.h"

#include <vector>

namespace drifthold::scene {

// How long a trail point laid now lives, in ms: 4000 per piece collected, or 2000 when that
// is not positive. The particle shells streaming from the tail live as long.
float pointLifetime(float collected);

// One point of the ship's trail. Ages and lifetimes are in milliseconds.
struct TrailPoint {
    glm::vec3 position{0.0f};
    float radius = 0.0f;
    float age = 0.0f;
    float lifetime = 0.0f;
};

// The player's ship: flies along its local +x axis, wraps around the play cube
// (-2..2 on every axis) and lays a trail point whenever its tail has moved more than
// 0.2 from the last one. Turning is done by the caller on modelMatrix.
class Spaceship : public Geometry {
public:
    Spaceship(const glm::mat4& model, const MeshData& mesh, ShaderProgram* shader);

    void update(double dt) override;

    // Flags, counters and constants back to their start values; leaves the pose, the
    // trail, velocity, initialMatrix and cockpit alone.
    void resetFields();
    // Appends a point at the tail's current world position.
    void laySeedPoint();
    // Back to initialMatrix, at rest, one fresh trail point. placementMatrix keeps the
    // old pose until the next update.
    void reset();
    // True when the tail reaches one of the older trail points (all but the 5 newest);
    // ages those points by dt seconds and drops the expired ones on the way.
    bool hitsOwnTrail(float dt);

    SceneObject* cockpit = nullptr; // not owned
    bool cockpitView = false;
    bool atRest = true;
    float collected = 0.0f;
    std::vector<TrailPoint> trail; // oldest first
    float trailRadius = 0.2f;
    glm::mat4 initialMatrix{1.0f};
    glm::mat4 cockpitProjection{1.0f};
    glm::vec4 tailPoint{-1.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 nosePoint{1.65f, 0.0f, 0.0f, 1.0f};

private:
    void layPoint(const glm::vec3& position);
};

} // namespace drifthold::scene
