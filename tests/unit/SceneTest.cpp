// Game rules of the scene objects, run without GL (a null program makes them logic-only).
#include "scene/Collision.h"
#include "scene/Spaceship.h"
#include "scene/SpinningObjects.h"
#include "support/Meshes.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

using namespace drifthold;
using namespace drifthold::scene;
using drifthold::test::boxMesh;

namespace {

void expectNear(const glm::mat4& a, const glm::mat4& b, float tolerance = 1e-5f) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(a[c][r], b[c][r], tolerance) << "entry [" << c << "][" << r << "]";
}

glm::vec3 translation(const glm::mat4& m) {
    return glm::vec3(m[3]);
}

// The ship as the scene places it: scaled by 0.15, seeded with one trail point.
class ShipTest : public ::testing::Test {
protected:
    ShipTest() {
        ship.modelMatrix = ship.placementMatrix = ship.initialMatrix =
            glm::scale(glm::mat4(1.0f), glm::vec3(0.15f));
        ship.laySeedPoint();
    }
    glm::vec3 tail() { return glm::vec3(ship.modelMatrix * ship.tailPoint); }
    // n points far from the tail, all of the given age and lifetime.
    void setTrail(int n, float age, float lifetime) {
        ship.trail.assign(n, TrailPoint{glm::vec3(5.0f), 0.2f, age, lifetime});
    }
    void turn() {
        ship.modelMatrix = glm::rotate(ship.modelMatrix, glm::radians(90.0f), glm::vec3(0, 0, 1));
    }

    Spaceship ship{glm::mat4(1.0f), boxMesh(), nullptr};
};

} // namespace

// Beyond a face the ship reappears at the opposite one, but not at the face itself. Speed
// 0.2 flies 0.15 a second; the points are laid from the pose before the move, the next one
// on the far side.
TEST_F(ShipTest, WrapsEachAxisAndLaysThePointOnTheFarSide) {
    ship.modelMatrix[3] = glm::vec4(2.05f, -2.3f, 2.0f, 1.0f);
    ship.update(0.0);
    EXPECT_EQ(translation(ship.modelMatrix), glm::vec3(-2.0f, 2.0f, 2.0f));
    ship.modelMatrix[3] = glm::vec4(-2.0f, 0.0f, -2.05f, 1.0f);
    ship.update(0.0);
    EXPECT_EQ(translation(ship.modelMatrix), glm::vec3(-2.0f, 0.0f, 2.0f));

    ship.modelMatrix[3] = glm::vec4(1.9f, 0.0f, 0.0f, 1.0f);
    ship.trail.clear();
    ship.laySeedPoint();
    ship.setVelocity(glm::vec3(0.2f, 0, 0));
    ship.update(1.0); // 1.9 + 0.15 crosses the face
    EXPECT_NEAR(translation(ship.modelMatrix).x, -2.0f, 1e-6f);
    ASSERT_EQ(ship.trail.size(), 1u);
    ship.update(0.0);
    ASSERT_EQ(ship.trail.size(), 2u);
    EXPECT_NEAR(ship.trail[0].position.x, 1.75f, 1e-5f);
    EXPECT_NEAR(ship.trail[1].position.x, -2.15f, 1e-5f);
}

// A reset brings back all a run changed, except the placement, which keeps the old pose
// until the next update; its one point lives 2000 ms, as points do before anything is
// collected (4000 per piece after).
TEST_F(ShipTest, ResetReturnsToTheStartWithOneFreshPoint) {
    ship.setVelocity(glm::vec3(0.6f, 0, 0));
    for (int i = 0; i < 10; ++i)
        ship.update(0.5);
    turn();
    ship.collected = 2.0f;
    ship.cockpitView = true;
    ASSERT_GT(ship.trail.size(), 3u);
    const glm::mat4 placedBefore = ship.placementMatrix;
    ship.reset();
    EXPECT_TRUE(ship.modelMatrix == ship.initialMatrix && ship.placementMatrix == placedBefore);
    ASSERT_EQ(ship.trail.size(), 1u);
    EXPECT_TRUE(ship.trail[0].position == tail() && ship.trail[0].lifetime == 2000.0f);
    EXPECT_TRUE(!ship.cockpitView && ship.atRest && ship.collected == 0.0f);
    EXPECT_EQ(ship.velocity, glm::vec3(0.0f));
}

// Only points older than the newest five are tested and aged, hits need the distance
// under both radii, and removals never reach the protected five.
TEST_F(ShipTest, TrailTestSkipsTheNewestFive) {
    setTrail(6, 0.0f, 2000.0f);
    ship.trail[5].position = tail(); // the newest point, right at the tail
    EXPECT_FALSE(ship.hitsOwnTrail(0.1f));
    EXPECT_FLOAT_EQ(ship.trail[0].age, 100.0f);
    EXPECT_EQ(ship.trail[1].age + ship.trail[5].age, 0.0f);
    ship.trail[0].position = tail() + glm::vec3(0.41f, 0, 0);
    EXPECT_FALSE(ship.hitsOwnTrail(0.0f));
    ship.trail[0].position = tail() + glm::vec3(0, 0.39f, 0);
    EXPECT_TRUE(ship.hitsOwnTrail(0.0f));

    setTrail(8, 2000.0f, 2000.0f);
    EXPECT_FALSE(ship.hitsOwnTrail(0.001f));
    ASSERT_EQ(ship.trail.size(), 5u);
    for (const TrailPoint& p : ship.trail)
        EXPECT_EQ(p.age, 2000.0f) << "a protected point was aged";
}

// Reach is tested before expiry; the far oldest point expired and went, and the hit
// stopped the walk before the rest.
TEST_F(ShipTest, APointExpiringThisFrameStillHits) {
    setTrail(7, 1950.0f, 2000.0f);
    ship.trail[1].position = tail();
    EXPECT_TRUE(ship.hitsOwnTrail(0.1f));
    ASSERT_EQ(ship.trail.size(), 6u);
    EXPECT_EQ(ship.trail[0].position, tail());
    EXPECT_EQ(ship.trail[1].age, 1950.0f);
}

// -40 degrees per second about the normalised axis, however the second is split and
// whatever the axis length; the placement does not spin, nor anything about a zero axis
// (which would normalise to NaN). Only junk is worth collecting.
TEST(Spin, OneSecondTurnsMinusFortyDegreesInAnyNumberOfSteps) {
    const glm::mat4 start = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    const glm::mat4 expected =
        glm::rotate(start, glm::radians(-40.0f), glm::normalize(glm::vec3(0.3f, 0.1f, 0.6f)));
    for (int steps : {1, 7}) {
        Meteor meteor(start, boxMesh(), nullptr);
        meteor.setRotationAxis(glm::vec3(0.3f, 0.1f, 0.6f) * float(steps));
        for (int i = 0; i < steps; ++i)
            meteor.update(1.0 / steps);
        expectNear(meteor.modelMatrix, expected, 1e-4f);
        EXPECT_EQ(meteor.placementMatrix, glm::mat4(1.0f));
    }
    Meteor still(glm::mat4(1.0f), boxMesh(), nullptr);
    SpaceJunk junk(glm::mat4(2.0f), boxMesh(), nullptr);
    still.update(1.0);
    junk.update(1.0);
    EXPECT_TRUE(still.modelMatrix == glm::mat4(1.0f) && junk.modelMatrix == glm::mat4(2.0f));
    EXPECT_TRUE(still.value() == 0.0f && junk.value() == 1000.0f);
}

// Strict, asymmetric (only the ship's corners count), and blind to corner order.
TEST(Collision, OverlapIsStrictAsymmetricAndIgnoresCornerOrder) {
    const WorldBox object{glm::vec3(0.0f), glm::vec3(1.0f)};
    const WorldBox enclosing{glm::vec3(-1.0f), glm::vec3(2.0f)};
    EXPECT_FALSE(boxesOverlap(enclosing, object)) << "ship extent encloses the object";
    EXPECT_TRUE(boxesOverlap(object, enclosing)) << "the test is not symmetric";
    for (int axis = 0; axis < 3; ++axis) { // inside on two axes, beside it on the third
        WorldBox beside{glm::vec3(0.4f), glm::vec3(0.6f)};
        beside.corner0[axis] = 1.5f;
        beside.corner1[axis] = 2.5f;
        EXPECT_FALSE(boxesOverlap(beside, object)) << "a miss on axis " << axis << " alone";
        beside.corner0[axis] = 0.5f;
        EXPECT_TRUE(boxesOverlap(beside, object)) << "a hit through axis " << axis;
    }
    // x0, x1 of a thin ship box and whether it hits: in, enclosing, touching, equal, out.
    const struct {
        float x0, x1;
        bool hit;
    } cases[] = {{0.5f, 2.0f, true},  {-1.0f, 0.5f, true},  {-1.0f, 2.0f, false},
                 {1.0f, 2.0f, false}, {0.0f, 1.0f, false},  {2.0f, 3.0f, false},
                 {0.0f, 0.5f, true},  {-1.0f, 1.0f, false}, {0.5f, 1.0f, true}};
    for (const auto& c : cases) {
        const WorldBox s{glm::vec3(c.x0, 0.5f, 0.5f), glm::vec3(c.x1, 0.7f, 0.7f)};
        const WorldBox sFlipped{s.corner1, s.corner0}, flipped{object.corner1, object.corner0};
        EXPECT_EQ(boxesOverlap(s, object), c.hit) << c.x0 << " " << c.x1;
        EXPECT_EQ(boxesOverlap(sFlipped, object), c.hit) << c.x0 << " " << c.x1;
        EXPECT_EQ(boxesOverlap(s, flipped), c.hit) << c.x0 << " " << c.x1;
        EXPECT_EQ(boxesOverlap(sFlipped, flipped), c.hit) << c.x0 << " " << c.x1;
    }
}
