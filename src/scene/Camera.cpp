#include "scene/Camera.h"

#include "gfx/SharedConstants.h"

#include <GLFW/glfw3.h>
#define GLM_ENABLE_EXPERIMENTAL
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtx/rotate_vector.hpp>

#include <cmath>

namespace drifthold::scene {

namespace {

constexpr float kDegreesToRadians = 0.017453292f;
constexpr float kTurnRate = 60.0f; // degrees per second while a key is held
constexpr float kMinPitch = -78.75f;
constexpr float kMaxPitch = -1.0f;
constexpr float kMinDistance = 5.0f;

} // namespace

glm::mat4 cameraProjection() {
    return glm::perspective(glm::radians(kCameraFieldOfView), kFrameAspect, 0.01f, 30.0f);
}

// --- FreeCamera ---

FreeCamera::FreeCamera(glm::vec3 orbit_, glm::vec3 center_, glm::vec3 up_)
    : orbit(orbit_), center(center_), up(up_) {
    FreeCamera::init();
}

void FreeCamera::init() {
    projection = cameraProjection();
    yawRate = 0.0f;
    pitchRate = 0.0f;
    distanceRate = 0.0f;
}

void FreeCamera::update(double dt) {
    const float step = static_cast<float>(dt);
    orbit.x += yawRate * step;
    orbit.y += pitchRate * step;
    orbit.z += distanceRate * step;

    if (orbit.y < kMinPitch)
        orbit.y = kMinPitch;
    if (orbit.y > kMaxPitch)
        orbit.y = kMaxPitch;
    if (!(center.y > 0.0f))
        center.y = 0.0f;
    if (!(orbit.z > kMinDistance))
        orbit.z = kMinDistance;
}

glm::mat4 FreeCamera::getViewMatrix() {
    const float a = orbit.x * kDegreesToRadians;
    const float b = (orbit.y + 90.0f) * kDegreesToRadians;
    const glm::vec3 eye = center + orbit.z * glm::vec3(std::cos(a) * std::sin(b), std::cos(b),
                                                       std::sin(a) * std::sin(b));
    return glm::lookAt(eye, center, up);
}

glm::mat4 FreeCamera::getProjectionMatrix() {
    return projection;
}

bool FreeCamera::isFixed() {
    return false;
}

void FreeCamera::setRates(float yaw, float pitch) {
    yawRate = yaw;
    pitchRate = pitch;
    distanceRate = 0.0f;
}

void FreeCamera::handleKey(int key) {
    switch (key) {
    case GLFW_KEY_A:
        setRates(-kTurnRate, 0.0f);
        break;
    case GLFW_KEY_D:
        setRates(kTurnRate, 0.0f);
        break;
    case GLFW_KEY_W:
        setRates(0.0f, -kTurnRate);
        break;
    case GLFW_KEY_S:
        setRates(0.0f, kTurnRate);
        break;
    // The (yaw, pitch, distance) triple is turned as if it were a vector; the rates stay.
    case GLFW_KEY_J:
        orbit = glm::rotate(orbit, glm::radians(1.0f), up);
        break;
    case GLFW_KEY_K:
        orbit = glm::rotate(orbit, glm::radians(-1.0f), up);
        break;
    default: // any other key, and every release
        setRates(0.0f, 0.0f);
        break;
    }
}

// --- CameraFixedPos ---

CameraFixedPos::CameraFixedPos() : eye(0.0f), center(0.0f), up(0.0f) {
    CameraFixedPos::init();
}

void CameraFixedPos::init() {
    projection = cameraProjection();
    distance = 10.0f;
    eye = glm::vec3(0.0f, 0.0f, 10.0f);
    center = glm::vec3(0.0f);
    up = glm::vec3(0.0f, 1.0f, 0.0f);
}

void CameraFixedPos::update(double dt) {
    (void)dt;
}

glm::mat4 CameraFixedPos::getViewMatrix() {
    return glm::lookAt(eye, center, up);
}

glm::mat4 CameraFixedPos::getProjectionMatrix() {
    return projection;
}

bool CameraFixedPos::isFixed() {
    return true;
}

void CameraFixedPos::handleKey(int key) {
    const glm::vec3 oldEye = eye;
    switch (key) {
    case GLFW_KEY_A:
        eye = glm::cross(oldEye, up);
        break;
    case GLFW_KEY_D:
        eye = glm::cross(up, oldEye);
        break;
    // W and S divide by the distance: at 0 (ten K presses) the camera stays where it is
    // instead of filling up with infinities.
    case GLFW_KEY_W:
        if (distance == 0.0f)
            break;
        eye = distance * up;
        up = -oldEye / distance;
        break;
    case GLFW_KEY_S:
        if (distance == 0.0f)
            break;
        eye = -distance * up;
        up = oldEye / distance;
        break;
    case GLFW_KEY_J:
        distance += 1.0f;
        break;
    case GLFW_KEY_K:
        distance -= 1.0f;
        break;
    default:
        break;
    }
}

glm::mat4 cockpitViewMatrix(const glm::mat4& cockpitModel) {
    // The pilot sits at the cockpit's origin and looks along the nose (+x). The view is the
    // inverse of that pose, without the model's scale, so the world keeps its size and the
    // view follows the ship wherever it flies and turns.
    glm::mat4 pose = cockpitModel;
    for (int axis = 0; axis < 3; ++axis)
        pose[axis] = glm::vec4(glm::normalize(glm::vec3(cockpitModel[axis])), 0.0f);
    return glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f)) *
           glm::inverse(pose);
}

} // namespace drifthold::scene
