// Camera controls and matrices.
#include "scene/Camera.h"

#include <GLFW/glfw3.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace drifthold::scene;

namespace {

void expectVec(glm::vec3 actual, glm::vec3 expected, float tolerance = 1e-4f) {
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], expected[i], tolerance) << "component " << i;
}

glm::vec3 eyeOf(const glm::mat4& view) {
    return glm::vec3(glm::inverse(view)[3]);
}

void hold(FreeCamera& camera, int key, double seconds, int steps) {
    camera.handleKey(key);
    for (int i = 0; i < steps; ++i)
        camera.update(seconds / steps);
}

} // namespace

// Quarter turns about up (A/D) and over the top (W/S); four turns come back round.
TEST(CameraFixedPos, QuarterTurnsAboutUpAndOverTheTop) {
    CameraFixedPos camera;
    EXPECT_TRUE(camera.isFixed());
    camera.handleKey(GLFW_KEY_A);
    expectVec(camera.eye, {-10, 0, 0});
    camera.handleKey(GLFW_KEY_D);
    expectVec(camera.eye, {0, 0, 10});
    for (int i = 0; i < 4; ++i)
        camera.handleKey(GLFW_KEY_A);
    expectVec(eyeOf(camera.getViewMatrix()), {0, 0, 10});
    camera.handleKey(GLFW_KEY_W);
    expectVec(camera.eye, {0, 10, 0});
    expectVec(camera.up, {0, 0, -1});
    camera.handleKey(GLFW_KEY_S);
    expectVec(camera.eye, {0, 0, 10});
    expectVec(camera.up, {0, 1, 0});
}

// J/K only change the distance for the next W or S; at distance 0, W and S (which divide
// by it) leave the camera alone until it grows again.
TEST(CameraFixedPos, DistanceTakesEffectAtTheNextWOrSAndZeroIsGuarded) {
    CameraFixedPos camera;
    camera.handleKey(GLFW_KEY_J);
    expectVec(camera.eye, {0, 0, 10});
    camera.handleKey(GLFW_KEY_W);
    expectVec(camera.eye, {0, 11, 0});
    expectVec(camera.up, {0, 0, -10.0f / 11.0f});
    camera.handleKey(GLFW_KEY_K);
    camera.handleKey(GLFW_KEY_K);
    camera.handleKey(GLFW_KEY_S); // distance 9
    expectVec(camera.eye, {0, 0, 90.0f / 11.0f});

    CameraFixedPos zero;
    for (int i = 0; i < 10; ++i)
        zero.handleKey(GLFW_KEY_K);
    ASSERT_EQ(zero.distance, 0.0f);
    zero.handleKey(GLFW_KEY_W);
    zero.handleKey(GLFW_KEY_S);
    expectVec(zero.eye, {0, 0, 10});
    expectVec(zero.up, {0, 1, 0});
    zero.handleKey(GLFW_KEY_J);
    zero.handleKey(GLFW_KEY_W);
    expectVec(zero.eye, {0, 1, 0});
}

// Clamps apply even on a zero-length frame: pitch, distance and centre height; held W/S
// stop at the top (-78.75) and the horizon (-1).
TEST(FreeCamera, ClampsPitchDistanceAndCentre) {
    FreeCamera camera({90, 0, 3}, {0, -2, 0}, {0, 1, 0});
    EXPECT_FALSE(camera.isFixed());
    camera.update(0.0);
    expectVec(camera.orbit, {90, -1, 5});
    EXPECT_EQ(camera.center.y, 0.0f);
    hold(camera, GLFW_KEY_W, 2.0, 20);
    EXPECT_FLOAT_EQ(camera.orbit.y, -78.75f);
    hold(camera, GLFW_KEY_S, 3.0, 30);
    EXPECT_FLOAT_EQ(camera.orbit.y, -1.0f);
}

// A turn runs at 60 degrees/s until a release or another key, but J and K do not stop it.
TEST(FreeCamera, ReleaseOrAnyOtherKeyStopsTurningButJAndKDoNot) {
    FreeCamera camera({90, 0, 10}, {0, 0, 0}, {0, 1, 0});
    hold(camera, GLFW_KEY_D, 1.0, 1);
    EXPECT_FLOAT_EQ(camera.orbit.x, 150.0f);
    camera.handleKey(GLFW_KEY_J);
    camera.handleKey(GLFW_KEY_K);
    const float yaw = camera.orbit.x;
    camera.update(0.5);
    EXPECT_NEAR(camera.orbit.x, yaw + 30.0f, 1e-3f);
    for (int key : {-1, GLFW_KEY_5}) {
        camera.handleKey(GLFW_KEY_A);
        camera.handleKey(key);
        const glm::vec3 before = camera.orbit;
        camera.update(1.0);
        expectVec(camera.orbit, before);
    }
}

TEST(FreeCamera, JAndKTurnTheOrbitTripleAboutUp) {
    FreeCamera j({90, -1, 10}, {0, 0, 0}, {0, 1, 0}), k = j;
    j.handleKey(GLFW_KEY_J);
    expectVec(j.orbit, {90.16f, -1, 8.43f}, 0.01f);
    k.handleKey(GLFW_KEY_K);
    expectVec(k.orbit, {89.81f, -1, 11.57f}, 0.01f);
}

TEST(FreeCamera, EyeCirclesTheCentreAndNegativePitchRaisesIt) {
    FreeCamera camera({0, 0, 10}, {1, 2, 3}, {0, 1, 0});
    expectVec(eyeOf(camera.getViewMatrix()), {11, 2, 3});
    camera.orbit = {90, -30, 10};
    expectVec(eyeOf(camera.getViewMatrix()), {1, 2 + 5, 3 + 10 * std::sqrt(3.0f) / 2});
}

// 30 degrees vertical, 4:3, near 0.01, far 30, entry by entry for both cameras.
TEST(Cameras, ShareOneProjection) {
    CameraFixedPos fixed;
    FreeCamera free({90, 0, 10}, {0, 0, 0}, {0, 1, 0});
    glm::mat4 expected(0.0f);
    expected[0][0] = 2.7990381f;
    expected[1][1] = 3.7320508f;
    expected[2][2] = -1.0006669f;
    expected[2][3] = -1.0f;
    expected[3][2] = -0.0200067f;
    for (const glm::mat4& p : {fixed.getProjectionMatrix(), free.getProjectionMatrix()})
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                EXPECT_NEAR(p[c][r], expected[c][r], 1e-5f) << c << "," << r;
}
