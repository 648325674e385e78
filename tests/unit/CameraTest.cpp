// Camera controls and matrices.
#include "scene/Camera.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace drifthold::scene;

namespace {

bool near(glm::vec3 a, glm::vec3 b, float tolerance = 1e-4f) {
    return glm::distance(a, b) < tolerance;
}

glm::vec3 eyeOf(Camera& camera) {
    return glm::vec3(glm::inverse(camera.getViewMatrix())[3]);
}

} // namespace

// Keys one after the other, each with where the eye and up vector end up: quarter turns
// about up (A/D), over the top or bottom at the distance (W/S), which J and K change only
// for the next W or S; at distance 0 W and S (which divide by it) leave the camera alone.
TEST(CameraFixedPos, EachKeyMovesTheEyeItsOwnWay) {
    const struct {
        std::vector<int> keys;
        glm::vec3 eye, up;
    } steps[] = {
        {{GLFW_KEY_A}, {-10, 0, 0}, {0, 1, 0}},
        {{GLFW_KEY_D}, {0, 0, 10}, {0, 1, 0}},
        {{GLFW_KEY_D}, {10, 0, 0}, {0, 1, 0}},
        {{GLFW_KEY_A, GLFW_KEY_A, GLFW_KEY_A, GLFW_KEY_A}, {10, 0, 0}, {0, 1, 0}},
        {{GLFW_KEY_A}, {0, 0, 10}, {0, 1, 0}},
        {{GLFW_KEY_W}, {0, 10, 0}, {0, 0, -1}},
        {{GLFW_KEY_S}, {0, 0, 10}, {0, 1, 0}},
        {{GLFW_KEY_S}, {0, -10, 0}, {0, 0, 1}},
        {{GLFW_KEY_W, GLFW_KEY_J}, {0, 0, 10}, {0, 1, 0}},
        {{GLFW_KEY_W}, {0, 11, 0}, {0, 0, -10.0f / 11.0f}},
        {{GLFW_KEY_K, GLFW_KEY_K, GLFW_KEY_S}, {0, 0, 90.0f / 11.0f}, {0, 11.0f / 9.0f, 0}}};
    CameraFixedPos camera;
    EXPECT_TRUE(near(eyeOf(camera), {0, 0, 10}));
    for (const auto& step : steps) {
        for (int key : step.keys)
            camera.handleKey(key);
        EXPECT_TRUE(near(camera.eye, step.eye) && near(camera.up, step.up))
            << "after key " << step.keys.back() << " of step " << &step - steps;
    }
    CameraFixedPos zero;
    for (int i = 0; i < 10; ++i)
        zero.handleKey(GLFW_KEY_K);
    zero.handleKey(GLFW_KEY_W);
    zero.handleKey(GLFW_KEY_S);
    EXPECT_TRUE(near(zero.eye, {0, 0, 10}) && near(zero.up, {0, 1, 0}));
    zero.handleKey(GLFW_KEY_J);
    zero.handleKey(GLFW_KEY_W);
    EXPECT_TRUE(near(zero.eye, {0, 1, 0}));
}

// Held keys turn at 60 degrees a second, each its own way, until a release or any other
// key (J and K turn the orbit triple but do not stop a turn); the clamps hold even for a
// frame of no time: pitch in [-78.75, -1], distance at least 5, centre not below 0.
TEST(FreeCamera, HeldKeysTurnWithinTheClamps) {
    FreeCamera camera({90, -30, 10}, {0, 0, 0}, {0, 1, 0});
    const std::pair<int, glm::vec3> turns[] = {{GLFW_KEY_A, {60, -30, 10}},
                                               {GLFW_KEY_D, {90, -30, 10}},
                                               {GLFW_KEY_W, {90, -60, 10}},
                                               {GLFW_KEY_S, {90, -30, 10}}};
    for (const auto& [key, orbit] : turns) {
        camera.handleKey(key);
        camera.update(0.5);
        EXPECT_TRUE(near(camera.orbit, orbit)) << key;
    }
    camera.handleKey(GLFW_KEY_W);
    camera.handleKey(GLFW_KEY_J);
    camera.handleKey(GLFW_KEY_K);
    for (int i = 0; i < 40; ++i)
        camera.update(0.05);
    EXPECT_FLOAT_EQ(camera.orbit.y, -78.75f) << "J and K keep the turn, the clamp stops it";
    for (int key : {-1, GLFW_KEY_5}) {
        camera.handleKey(GLFW_KEY_S);
        camera.handleKey(key);
        const glm::vec3 before = camera.orbit;
        camera.update(1.0);
        EXPECT_EQ(camera.orbit, before) << key;
    }
    FreeCamera low({90, 0, 3}, {0, -2, 0}, {0, 1, 0});
    low.update(0.0);
    EXPECT_TRUE(near(low.orbit, {90, -1, 5}) && low.center.y == 0.0f);
}

// J and K turn the (yaw, pitch, distance) triple by one degree about up: the eye circles
// the centre, nearer or farther.
TEST(FreeCamera, JAndKTurnTheOrbitAboutUp) {
    FreeCamera j({90, -1, 10}, {0, 0, 0}, {0, 1, 0}), k = j;
    j.handleKey(GLFW_KEY_J);
    EXPECT_TRUE(near(j.orbit, {90.16f, -1, 8.43f}, 0.01f));
    k.handleKey(GLFW_KEY_K);
    EXPECT_TRUE(near(k.orbit, {89.81f, -1, 11.57f}, 0.01f));
}
