#pragma once
#include <glm/glm.hpp>

namespace drifthold::scene {

// Source of the view and projection matrices the scene is drawn with. Keys are GLFW
// key codes; -1 stands for any key release.
class Camera {
public:
    virtual ~Camera() = default;

    virtual void init() = 0;
    virtual void update(double dt) = 0;
    virtual glm::mat4 getViewMatrix() = 0;
    virtual glm::mat4 getProjectionMatrix() = 0;
    virtual bool isFixed() = 0;
    virtual void handleKey(int key) = 0;
};

// Circles `center` while a direction key is held (A/D yaw, W/S pitch); any release
// stops it. orbit is (yaw degrees, pitch degrees, distance).
class FreeCamera : public Camera {
public:
    FreeCamera(glm::vec3 orbit, glm::vec3 center, glm::vec3 up);

    void init() override;
    void update(double dt) override;
    glm::mat4 getViewMatrix() override;
    glm::mat4 getProjectionMatrix() override;
    bool isFixed() override;
    void handleKey(int key) override;

    glm::mat4 projection{1.0f};
    glm::vec3 orbit;
    glm::vec3 center;
    glm::vec3 up;
    float yawRate = 0.0f;
    float pitchRate = 0.0f;
    float distanceRate = 0.0f;

private:
    void setRates(float yaw, float pitch);
};

// Jumps around `center` in quarter turns: A/D about up, W/S over the top or bottom at
// `distance`; J/K change that distance for the next W or S.
class CameraFixedPos : public Camera {
public:
    CameraFixedPos();

    void init() override;
    void update(double dt) override;
    glm::mat4 getViewMatrix() override;
    glm::mat4 getProjectionMatrix() override;
    bool isFixed() override;
    void handleKey(int key) override;

    glm::mat4 projection{1.0f};
    glm::vec3 eye{0.0f};
    glm::vec3 center{0.0f};
    glm::vec3 up{0.0f};
    float distance = 10.0f;
};

// Both cameras: 30 degrees vertical, 4:3, near 0.01, far 30.
glm::mat4 cameraProjection();

// The view from the cockpit of a ship whose cockpit has this model matrix: the pilot's
// seat, looking along the nose.
glm::mat4 cockpitViewMatrix(const glm::mat4& cockpitModel);

} // namespace drifthold::scene
