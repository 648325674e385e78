// Game rules of the scene objects, run without GL (a null program makes them logic-only).
#include "scene/Collision.h"
#include "scene/Spaceship.h"
#include "scene/SpinningObjects.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <cmath>

using namespace drifthold;
using namespace drifthold::scene;

namespace {

MeshData boxMesh(glm::vec3 min = glm::vec3(-1.0f), glm::vec3 max = glm::vec3(1.0f)) {
    MeshData mesh;
    mesh.boundsMin = min;
    mesh.boundsMax = max;
    return mesh;
}

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
        ship.modelMatrix = glm::scale(glm::mat4(1.0f), glm::vec3(0.15f));
        ship.placementMatrix = ship.modelMatrix;
        ship.initialMatrix = ship.modelMatrix;
        ship.laySeedPoint();
    }
    glm::vec3 tail() { return glm::vec3(ship.modelMatrix * ship.tailPoint); }
    // n points far from the tail, all of the given age and lifetime.
    void setTrail(int n, float age, float lifetime) {
        ship.trail.assign(n, TrailPoint{glm::vec3(5.0f), 0.2f, age, lifetime});
    }

    Spaceship ship{glm::mat4(1.0f), boxMesh(), nullptr};
};

} // namespace

TEST(Geometry, LogicOnlyObjectKeepsBoundsAndStartsUnplaced) {
    Geometry g(glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3)),
               boxMesh(glm::vec3(-1, -2, -3), glm::vec3(4, 5, 6)), nullptr);
    EXPECT_EQ(g.placementMatrix, glm::mat4(1.0f));
    EXPECT_EQ(g.boundsMin, glm::vec3(-1, -2, -3));
    EXPECT_EQ(g.boundsMax, glm::vec3(4, 5, 6));
    EXPECT_EQ(g.vao, 0u);
    g.setVelocity(glm::vec3(0.2f, 0, 0));
    g.setVelocity(glm::vec3(0.0f));
    const glm::mat4 before = g.modelMatrix;
    g.update(1.0);
    g.draw(glm::mat4(1.0f), glm::mat4(1.0f)); // does nothing without a program
    EXPECT_EQ(g.modelMatrix, before);
    EXPECT_EQ(g.velocity, glm::vec3(0.0f));
    EXPECT_EQ(g.value(), 0.0f);
}

TEST_F(ShipTest, RestingShipLaysNoPoint) {
    ship.update(1.0);
    ship.update(1.0);
    EXPECT_EQ(ship.trail.size(), 1u);
    EXPECT_TRUE(ship.atRest);
}

TEST(Spaceship, UpdateWithoutASeedPointStartsTheTrail) {
    Spaceship ship(glm::mat4(1.0f), boxMesh(), nullptr);
    ship.update(0.016); // no seed laid: must not read past an empty trail
    ASSERT_EQ(ship.trail.size(), 1u);
    EXPECT_EQ(ship.trail[0].position, glm::vec3(-1, 0, 0));
}

TEST_F(ShipTest, QuarterTurnInPlaceLaysAPointAndFourRestoreThePose) {
    const glm::mat4 start = ship.modelMatrix;
    const glm::vec3 before = tail();
    ship.modelMatrix = glm::rotate(ship.modelMatrix, glm::radians(90.0f), glm::vec3(0, 0, 1));
    EXPECT_NEAR(glm::distance(before, tail()), 0.15f * std::sqrt(2.0f), 1e-5f);
    ship.update(0.016);
    ASSERT_EQ(ship.trail.size(), 2u);
    EXPECT_NEAR(glm::distance(ship.trail[1].position, tail()), 0.0f, 1e-6f);
    EXPECT_TRUE(ship.atRest);
    for (int i = 0; i < 3; ++i)
        ship.modelMatrix = glm::rotate(ship.modelMatrix, glm::radians(90.0f), glm::vec3(0, 0, 1));
    expectNear(ship.modelMatrix, start);
}

TEST_F(ShipTest, SpeedPointTwoFliesPointFifteenPerSecondAlongItsNose) {
    ship.setVelocity(glm::vec3(0.2f, 0, 0));
    ship.update(1.0);
    EXPECT_FALSE(ship.atRest);
    EXPECT_NEAR(translation(ship.modelMatrix).x, 0.15f, 1e-6f);
    EXPECT_EQ(ship.placementMatrix, ship.modelMatrix);
    // Points are laid from the pose before the move, once the tail is 0.2 from the last.
    ship.update(1.0);
    EXPECT_EQ(ship.trail.size(), 1u);
    ship.update(1.0);
    ASSERT_EQ(ship.trail.size(), 2u);
    EXPECT_NEAR(ship.trail[1].position.x, 0.15f, 1e-6f);
}

TEST_F(ShipTest, WrapsEachAxisToTheOppositeFaceButNotAtTheFaceItself) {
    ship.modelMatrix[3] = glm::vec4(2.05f, -2.3f, 2.0f, 1.0f);
    ship.update(0.0);
    EXPECT_EQ(translation(ship.modelMatrix), glm::vec3(-2.0f, 2.0f, 2.0f));
    ship.modelMatrix[3] = glm::vec4(-2.0f, 0.0f, -2.0f, 1.0f);
    ship.update(0.0);
    EXPECT_EQ(translation(ship.modelMatrix), glm::vec3(-2.0f, 0.0f, -2.0f));
}

TEST_F(ShipTest, LaysAPointOnTheFarSideAfterAWrap) {
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

TEST_F(ShipTest, PointLifetimeGrowsWithCollectedPieces) {
    const float expected[] = {2000.0f, 4000.0f, 8000.0f, 12000.0f};
    for (int collected = 0; collected <= 3; ++collected) {
        ship.collected = static_cast<float>(collected);
        ship.laySeedPoint();
        EXPECT_EQ(ship.trail.back().lifetime, expected[collected]);
        EXPECT_EQ(ship.trail.back().radius, 0.2f);
    }
}

TEST_F(ShipTest, ResetReturnsToTheStartWithOneFreshPoint) {
    ship.setVelocity(glm::vec3(0.6f, 0, 0));
    for (int i = 0; i < 10; ++i)
        ship.update(0.5);
    ship.modelMatrix = glm::rotate(ship.modelMatrix, glm::radians(90.0f), glm::vec3(0, 1, 0));
    ship.collected = 2.0f;
    ship.cockpitView = true;
    ASSERT_GT(ship.trail.size(), 3u);
    const glm::mat4 placedBefore = ship.placementMatrix;

    ship.reset();
    EXPECT_EQ(ship.modelMatrix, ship.initialMatrix);
    EXPECT_EQ(ship.placementMatrix, placedBefore);
    ASSERT_EQ(ship.trail.size(), 1u);
    EXPECT_EQ(ship.trail[0].position, tail());
    EXPECT_EQ(ship.trail[0].lifetime, 2000.0f);
    EXPECT_FALSE(ship.cockpitView);
    EXPECT_TRUE(ship.atRest);
    EXPECT_EQ(ship.velocity, glm::vec3(0.0f));
    EXPECT_EQ(ship.collected, 0.0f);
    EXPECT_FALSE(ship.hitsOwnTrail(0.1f));
}

TEST_F(ShipTest, TrailTestAgesOnlyPointsOlderThanTheNewestFive) {
    setTrail(6, 0.0f, 2000.0f);
    EXPECT_FALSE(ship.hitsOwnTrail(0.1f));
    EXPECT_FLOAT_EQ(ship.trail[0].age, 100.0f);
    for (size_t i = 1; i < 6; ++i)
        EXPECT_EQ(ship.trail[i].age, 0.0f);
    // Even a newest point right at the tail is never tested.
    ship.trail[5].position = tail();
    EXPECT_FALSE(ship.hitsOwnTrail(0.1f));
}

TEST_F(ShipTest, TrailHitsWithinTheTwoRadii) {
    setTrail(6, 0.0f, 2000.0f);
    ship.trail[0].position = tail() + glm::vec3(0.41f, 0, 0);
    EXPECT_FALSE(ship.hitsOwnTrail(0.0f));
    ship.trail[0].position = tail() + glm::vec3(0, 0.39f, 0);
    EXPECT_TRUE(ship.hitsOwnTrail(0.0f));
}

TEST_F(ShipTest, APointExpiringThisFrameStillHits) {
    setTrail(7, 1950.0f, 2000.0f);
    ship.trail[1].position = tail();
    EXPECT_TRUE(ship.hitsOwnTrail(0.1f));
    // The far oldest one expired and went; the hit stopped the walk before the rest.
    ASSERT_EQ(ship.trail.size(), 6u);
    EXPECT_EQ(ship.trail[0].position, tail());
    EXPECT_EQ(ship.trail[1].age, 1950.0f);
}

TEST_F(ShipTest, RemovalsNeverReachTheNewestFive) {
    setTrail(8, 2000.0f, 2000.0f);
    EXPECT_FALSE(ship.hitsOwnTrail(0.001f));
    ASSERT_EQ(ship.trail.size(), 5u);
    for (const TrailPoint& p : ship.trail)
        EXPECT_EQ(p.age, 2000.0f) << "a protected point was aged";
}

TEST(Spin, OneSecondTurnsMinusFortyDegreesAboutTheAxisInAnyNumberOfSteps) {
    const glm::mat4 start = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    const glm::mat4 expected =
        glm::rotate(start, glm::radians(-40.0f), glm::normalize(glm::vec3(0.3f, 0.1f, 0.6f)));
    for (int steps : {1, 7, 60}) {
        for (glm::vec3 axis : {glm::vec3(0.3f, 0.1f, 0.6f), glm::vec3(3, 1, 6)}) {
            Meteor meteor(start, boxMesh(), nullptr);
            meteor.setRotationAxis(axis);
            for (int i = 0; i < steps; ++i)
                meteor.update(1.0 / steps);
            expectNear(meteor.modelMatrix, expected, 1e-4f);
            EXPECT_EQ(meteor.placementMatrix, glm::mat4(1.0f));
        }
    }
}

TEST(Spin, ZeroAxisDoesNotSpinAndOnlyJunkIsCollectable) {
    Meteor meteor(glm::mat4(1.0f), boxMesh(), nullptr);
    SpaceJunk junk(glm::mat4(2.0f), boxMesh(), nullptr);
    meteor.update(1.0);
    junk.update(1.0);
    EXPECT_EQ(meteor.modelMatrix, glm::mat4(1.0f));
    EXPECT_EQ(junk.modelMatrix, glm::mat4(2.0f));
    EXPECT_EQ(meteor.value(), 0.0f);
    EXPECT_EQ(junk.value(), 1000.0f);
}

TEST(Collision, WorldBoxCarriesTheBoundsByThePlacementUnsorted) {
    Geometry g(glm::mat4(1.0f), boxMesh(glm::vec3(-1, 0, 0), glm::vec3(1, 2, 4)), nullptr);
    g.modelMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(9.0f)); // spin does not move it
    g.placementMatrix = glm::scale(glm::rotate(glm::translate(glm::mat4(1.0f), glm::vec3(1, 1, 1)),
                                               glm::radians(180.0f), glm::vec3(0, 1, 0)),
                                   glm::vec3(0.5f));
    const WorldBox box = g.worldBox();
    EXPECT_NEAR(box.corner0.x, 1.5f, 1e-5f);
    EXPECT_NEAR(box.corner1.x, 0.5f, 1e-5f);
    EXPECT_NEAR(box.corner1.y, 2.0f, 1e-5f);
    EXPECT_NEAR(box.corner1.z, -1.0f, 1e-5f);
}

TEST(Collision, OverlapIsStrictAndOnlyTheShipCornersCount) {
    const WorldBox object{glm::vec3(0.0f), glm::vec3(1.0f)};
    auto ship = [](float x0, float x1) {
        return WorldBox{glm::vec3(x0, 0.5f, 0.5f), glm::vec3(x1, 0.6f, 0.6f)};
    };
    EXPECT_TRUE(boxesOverlap(ship(0.5f, 2.0f), object));
    EXPECT_TRUE(boxesOverlap(ship(-1.0f, 0.5f), object));
    EXPECT_FALSE(boxesOverlap(ship(-1.0f, 2.0f), object)) << "ship extent encloses the object";
    const WorldBox enclosing{glm::vec3(-1.0f), glm::vec3(2.0f)};
    EXPECT_FALSE(boxesOverlap(enclosing, object));
    EXPECT_TRUE(boxesOverlap(object, enclosing)) << "the test is not symmetric";
    EXPECT_FALSE(boxesOverlap(ship(1.0f, 2.0f), object)) << "touching ends";
    EXPECT_FALSE(boxesOverlap(ship(0.0f, 1.0f), object)) << "equal extents";
    EXPECT_FALSE(boxesOverlap(ship(2.0f, 3.0f), object));
    // A miss on y alone is enough.
    EXPECT_FALSE(boxesOverlap({glm::vec3(0.5f, 2.0f, 0.5f), glm::vec3(0.6f, 3.0f, 0.6f)}, object));
}

TEST(Collision, SwappedCornersGiveTheSameResult) {
    const WorldBox object{glm::vec3(0.0f), glm::vec3(1.0f)};
    const WorldBox flipped{object.corner1, object.corner0};
    for (float x0 : {-1.0f, 0.0f, 0.5f, 1.0f}) {
        for (float x1 : {0.5f, 1.0f, 2.0f}) {
            const WorldBox s{glm::vec3(x0, 0.5f, 0.5f), glm::vec3(x1, 0.7f, 0.7f)};
            const WorldBox sFlipped{s.corner1, s.corner0};
            const bool hit = boxesOverlap(s, object);
            EXPECT_EQ(boxesOverlap(sFlipped, object), hit) << x0 << " " << x1;
            EXPECT_EQ(boxesOverlap(s, flipped), hit) << x0 << " " << x1;
            EXPECT_EQ(boxesOverlap(sFlipped, flipped), hit) << x0 << " " << x1;
        }
    }
}
