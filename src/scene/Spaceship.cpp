#include "scene/Spaceship.h"

#include "gfx/SharedConstants.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace drifthold::scene {

namespace {

// Distance the tail must travel before the next trail point; not the trail radius.
constexpr float kPointSpacing = 0.2f;
// The newest points sit right behind the tail and would always be "hit".
constexpr std::size_t kUntestedNewest = 5;

} // namespace

Spaceship::Spaceship(const glm::mat4& model, const MeshData& meshData, ShaderProgram* program)
    : Geometry(model, meshData, program) {
    // Room for a long trail up front, so laying points in flight allocates nothing (nine
    // pieces collected keep points 36 s: about 80 points at top speed).
    trail.reserve(1024);
    resetFields();
}

void Spaceship::resetFields() {
    tailPoint = glm::vec4(-1.0f, 0.0f, 0.0f, 1.0f);
    nosePoint = glm::vec4(1.65f, 0.0f, 0.0f, 1.0f);
    cockpitView = false;
    atRest = true;
    collected = 0.0f;
    trailRadius = 0.2f;
    cockpitProjection = glm::perspective(glm::radians(60.0f), kFrameAspect, 0.01f, 30.0f);
}

float pointLifetime(float collected) {
    const float lifetime = collected * 4000.0f;
    return lifetime > 0.0f ? lifetime : 2000.0f;
}

void Spaceship::layPoint(const glm::vec3& position) {
    TrailPoint point;
    point.position = position;
    point.radius = trailRadius;
    point.age = 0.0f;
    point.lifetime = pointLifetime(collected);
    trail.push_back(point);
}

void Spaceship::laySeedPoint() {
    layPoint(glm::vec3(modelMatrix * tailPoint));
}

void Spaceship::update(double dt) {
    // Laid from the pose before this frame's move, so turns in place count too.
    const glm::vec4 tail = modelMatrix * tailPoint;
    if (trail.empty()) {
        layPoint(glm::vec3(tail));
    } else {
        const glm::vec3 last = trail.back().position;
        const float dx = tail.x - last.x, dy = tail.y - last.y, dz = tail.z - last.z;
        const float dw = tail.w - 1.0f;
        if (std::sqrt(dx * dx + dy * dy + dz * dz + dw * dw) > kPointSpacing)
            layPoint(glm::vec3(tail));
    }

    if (velocity != glm::vec3(0.0f)) {
        atRest = false;
        modelMatrix = glm::translate(modelMatrix, velocity * (static_cast<float>(dt) * 5.0f));
    }

    for (int axis = 0; axis < 3; ++axis) {
        float& t = modelMatrix[3][axis];
        if (t < -kCubeHalfExtent)
            t = kCubeHalfExtent;
        if (t > kCubeHalfExtent)
            t = -kCubeHalfExtent;
    }

    placementMatrix = modelMatrix;
}

void Spaceship::reset() {
    resetFields();
    modelMatrix = initialMatrix;
    trail.clear();
    laySeedPoint();
    velocity = glm::vec3(0.0f);
}

bool Spaceship::hitsOwnTrail(float dt) {
    if (trail.size() <= kUntestedNewest)
        return false;
    const glm::vec3 tail(modelMatrix * tailPoint);
    const float ageStep = dt * 1000.0f;
    std::size_t i = 0;
    // The bound is re-read after every removal: the protected newest points stay put.
    while (trail.size() > kUntestedNewest && i < trail.size() - kUntestedNewest) {
        TrailPoint& point = trail[i];
        const float distance = glm::distance(point.position, tail);
        point.age += ageStep;
        // Reach is tested before expiry: a point in its last frame still hits.
        if (trailRadius + point.radius > distance)
            return true;
        if (point.age > point.lifetime)
            trail.erase(trail.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
    return false;
}

} // namespace drifthold::scene
