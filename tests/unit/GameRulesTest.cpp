// The rules of play and the game's keys, on a world of logic-only objects (no GL): the
// ship's flight, trail and resets, collisions, spinning, collecting, the game's keys and
// the cameras they move.
#include "gfx/MeshData.h"
#include "scene/Camera.h"
#include "scene/Collision.h"
#include "scene/Meteor.h"
#include "scene/SpaceJunk.h"
#include "scene/Spaceship.h"
#include "states/GameContext.h"
#include "states/GameState.h"
#include "states/SceneManager.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <vector>

using namespace drifthold;

namespace {

// Mesh records without files: enough for the rules, which read only the bounds.
MeshData boxMesh(glm::vec3 min = glm::vec3(-1.0f), glm::vec3 max = glm::vec3(1.0f)) {
    MeshData mesh;
    mesh.boundsMin = min;
    mesh.boundsMax = max;
    return mesh;
}

bool near(glm::vec3 a, glm::vec3 b, float tolerance = 1e-4f) {
    return glm::distance(a, b) < tolerance;
}

glm::vec3 eyeOf(scene::Camera& camera) {
    return glm::vec3(glm::inverse(camera.getViewMatrix())[3]);
}

// Ship-like bounds: nose at +1.65, tail at -1.
const MeshData kShipMesh = boxMesh({-1.0f, -0.3f, -1.0f}, {1.65f, 0.3f, 1.0f});
const MeshData kUnitMesh = boxMesh({-1.0f, -1.0f, -1.0f}, {1.0f, 1.0f, 1.0f});

class RecordingCamera : public scene::Camera {
public:
    void init() override {}
    void update(double) override {}
    glm::mat4 getViewMatrix() override { return glm::mat4(1.0f); }
    glm::mat4 getProjectionMatrix() override { return glm::mat4(1.0f); }
    bool isFixed() override { return false; }
    void handleKey(int key) override { keys.push_back(key); }
    std::vector<int> keys;
};

// What play told the shell, one line an event, places rounded to hundredths.
class Heard : public GameEvents {
public:
    void collected(const glm::vec3& where) override { add("collected", where); }
    void crashed(Crash cause, const glm::vec3& where) override {
        add(cause == Crash::Meteor ? "meteor" : "trail", where);
    }
    void turned(const glm::vec3& where) override { add("turned", where); }
    void menuKey() override { events.push_back("menu"); }
    std::vector<std::string> events;

private:
    void add(const char* what, const glm::vec3& where) {
        char line[80];
        std::snprintf(line, sizeof line, "%s %.2f %.2f %.2f", what, where.x + 0.0f, where.y + 0.0f,
                      where.z + 0.0f);
        events.push_back(line);
    }
};

// A world shaped like the game's, without files or GL: the ship at the origin scaled as
// in the game, objects placed by hand.
class World : public ::testing::Test {
protected:
    void SetUp() override {
        state.scene = std::make_unique<SceneManager>();
        scene = state.scene.get();
        ship = scene->own(std::make_unique<scene::Spaceship>(glm::mat4(1.0f), kShipMesh, nullptr));
        ship->modelMatrix = glm::scale(glm::mat4(1.0f), glm::vec3(0.15f));
        ship->placementMatrix = ship->initialMatrix = ship->modelMatrix;
        ship->laySeedPoint();
        ship->cockpit =
            scene->own(std::make_unique<scene::Geometry>(glm::mat4(1.0f), kUnitMesh, nullptr));
        scene->spaceship = ship;
        scene->spaceCube =
            scene->own(std::make_unique<scene::Geometry>(glm::mat4(1.0f), kUnitMesh, nullptr));
        scene->cameras.push_back(std::make_unique<RecordingCamera>());
        scene->cameras.push_back(std::make_unique<RecordingCamera>());
        scene->activeCamera = scene->cameras[0].get();
        context.activeCamera = scene->activeCamera;
        context.events = scene->events = &heard;
    }

    // An object of half-width `half` (world units) centred at `at`, spinning. The default is
    // large enough for the ship's corners to fall inside it, which is what a hit needs.
    template <class T> T* place(const char* name, glm::vec3 at, float half = 0.3f) {
        auto* object = scene->own(std::make_unique<T>(glm::mat4(1.0f), kUnitMesh, nullptr));
        object->modelMatrix = glm::scale(glm::translate(glm::mat4(1.0f), at), glm::vec3(half));
        object->placementMatrix = object->modelMatrix;
        object->setRotationAxis(glm::vec3(0.0f, 1.0f, 0.0f));
        scene->add(object, name);
        return object;
    }

    RecordingCamera& camera(int i) {
        return *static_cast<RecordingCamera*>(scene->cameras[i].get());
    }
    glm::vec3 tail() { return glm::vec3(ship->modelMatrix * ship->tailPoint); }
    // n points far from the tail, all of the given age and lifetime.
    void setTrail(int n, float age, float lifetime) {
        ship->trail.assign(n, scene::TrailPoint{glm::vec3(5.0f), 0.2f, age, lifetime});
    }
    void turn() {
        ship->modelMatrix = glm::rotate(ship->modelMatrix, glm::radians(90.0f), glm::vec3(0, 0, 1));
    }

    Heard heard;
    GameContext context;
    GameState state{&context};
    SceneManager* scene = nullptr;
    scene::Spaceship* ship = nullptr;
};

} // namespace

// Junk over the ship is collected one per piece in the first update and gone for good;
// collected pieces lengthen new trail points.
TEST_F(World, CollectedPiecesCountOnceAndLengthenTheTrail) {
    place<scene::SpaceJunk>("spacejunk0", {0.0f, 0.0f, 0.1f});
    place<scene::SpaceJunk>("spacejunk1", {0.05f, 0.0f, -0.1f});
    auto* far = place<scene::SpaceJunk>("spacejunk2", {1.5f, 1.5f, 1.5f});
    state.update(0.016);
    state.update(0.016);
    EXPECT_FLOAT_EQ(ship->collected, 2.0f);
    ASSERT_EQ(scene->objects.size(), 1u);
    EXPECT_EQ(scene->objects.begin()->second, far);
    EXPECT_EQ(context.spaceship, ship);
    EXPECT_EQ(heard.events,
              (std::vector<std::string>{"collected 0.00 0.00 0.10", "collected 0.05 0.00 -0.10"}));
    ship->modelMatrix = glm::rotate(ship->modelMatrix, glm::radians(90.0f), {0, 0, 1});
    state.update(0.016); // the turn moves the tail by more than the spacing: one new point
    ASSERT_EQ(ship->trail.size(), 2u);
    EXPECT_FLOAT_EQ(ship->trail.back().lifetime, 8000.0f);
}

// A meteor hit resets the ship and ends the frame's walk: later entries do not spin.
TEST_F(World, AMeteorHitResetsTheShipAndSkipsEveryLaterEntry) {
    auto* before = place<scene::Meteor>("meteor1", {1.5f, -1.5f, 1.5f});
    place<scene::Meteor>("meteor2", {0.5f, 0.0f, 0.0f});
    auto* after = place<scene::Meteor>("meteor3", {-1.5f, 1.5f, -1.5f});
    auto* junk = place<scene::SpaceJunk>("spacejunk0", {1.0f, 1.0f, 1.0f});
    const glm::mat4 beforePose = before->modelMatrix;
    const glm::mat4 afterPose = after->modelMatrix;
    const glm::mat4 junkPose = junk->modelMatrix;

    ship->modelMatrix[3] = glm::vec4(0.5f, 0.0f, 0.0f, 1.0f); // flown into meteor2
    ship->setVelocity(glm::vec3(0.2f, 0.0f, 0.0f));
    ship->cockpitView = true;
    state.update(0.016);

    EXPECT_NE(before->modelMatrix, beforePose) << "entries before the hit still spin";
    EXPECT_EQ(after->modelMatrix, afterPose);
    EXPECT_EQ(junk->modelMatrix, junkPose);
    EXPECT_TRUE(ship->atRest && !ship->cockpitView) << "the hit resets the ship";
    EXPECT_EQ(scene->objects.size(), 4u) << "a meteor is never removed";
    // Heard where the ship hit, not where the reset put it.
    EXPECT_EQ(heard.events, std::vector<std::string>{"meteor 0.50 0.00 0.00"});
}

// A U-turn into the ship's own older trail points resets it.
TEST_F(World, FlyingBackAlongTheTrailResetsTheShip) {
    ship->setVelocity(glm::vec3(0.6f, 0.0f, 0.0f));
    for (int frame = 0; frame < 160; ++frame) {
        state.update(0.02);
        // The cockpit sits where the ship is this frame, not where it was the last.
        ASSERT_EQ(ship->cockpit->modelMatrix, ship->modelMatrix);
    }
    ASSERT_GT(ship->trail.size(), 6u);
    ASSERT_FALSE(ship->atRest);
    state.handleKey(GLFW_KEY_LEFT); // a U-turn in place
    state.handleKey(GLFW_KEY_LEFT);
    bool reset = false;
    for (int frame = 0; frame < 400 && !reset; ++frame) {
        state.update(0.02);
        reset = ship->atRest;
    }
    EXPECT_TRUE(reset);
    EXPECT_EQ(ship->trail.size(), 1u);
    ASSERT_EQ(heard.events.size(), 3u);
    EXPECT_EQ(heard.events[0], "turned 1.44 0.00 0.00");
    EXPECT_EQ(heard.events[1], heard.events[0]);
    EXPECT_EQ(heard.events[2].rfind("trail ", 0), 0u) << heard.events[2];
}

// Each number key sets its speed along the nose; each arrow turns the nose its own way by
// a quarter turn in place, and four presses of it come back to the start; 9 switches the
// cockpit view on and off.
TEST_F(World, SpeedTurnAndViewKeysSteerTheShip) {
    state.handleKey(GLFW_KEY_9);
    EXPECT_TRUE(ship->cockpitView);
    state.handleKey(GLFW_KEY_9);
    EXPECT_FALSE(ship->cockpitView);
    const std::pair<int, float> speeds[] = {
        {GLFW_KEY_4, 0.6f}, {GLFW_KEY_2, 0.2f}, {GLFW_KEY_3, 0.4f}, {GLFW_KEY_1, 0.0f}};
    for (const auto& [key, speed] : speeds) {
        state.handleKey(key);
        EXPECT_EQ(ship->velocity, glm::vec3(speed, 0.0f, 0.0f)) << key;
    }
    const glm::mat4 start = ship->modelMatrix;
    const std::pair<int, glm::vec3> turns[] = {{GLFW_KEY_UP, {0, 1, 0}},
                                               {GLFW_KEY_DOWN, {0, -1, 0}},
                                               {GLFW_KEY_LEFT, {0, 0, -1}},
                                               {GLFW_KEY_RIGHT, {0, 0, 1}}};
    for (const auto& [key, nose] : turns) {
        state.handleKey(key);
        const glm::vec3 ahead = glm::vec3(ship->modelMatrix * ship->nosePoint);
        EXPECT_LT(glm::distance(ahead, nose * 0.2475f), 1e-6f) << key;
        EXPECT_EQ(glm::vec3(ship->modelMatrix[3]), glm::vec3(start[3])) << key;
        for (int i = 0; i < 3; ++i)
            state.handleKey(key);
        for (int c = 0; c < 4; ++c)
            EXPECT_LT(glm::distance(ship->modelMatrix[c], start[c]), 1e-6f) << key;
    }
    // Each quarter turn is heard, at the ship; speeds and views are not.
    EXPECT_EQ(heard.events, std::vector<std::string>(16, "turned 0.00 0.00 0.00"));
}

// Keys the game does not use, and releases, reach the active camera only; 7/8 switch it.
TEST_F(World, UnusedKeysAndReleasesReachTheActiveCamera) {
    const std::vector<int> passed = {
        GLFW_KEY_5, GLFW_KEY_6, GLFW_KEY_ESCAPE, GLFW_KEY_A, GLFW_KEY_Q, GLFW_KEY_ENTER, -1};
    for (int key : passed)
        state.handleKey(key);
    EXPECT_EQ(camera(0).keys, passed);
    state.handleKey(GLFW_KEY_8);
    state.handleKey(GLFW_KEY_J);
    state.handleKey(-1);
    EXPECT_EQ(camera(1).keys, (std::vector<int>{GLFW_KEY_J, -1}));
    EXPECT_EQ(context.activeCamera, scene->cameras[1].get());
    state.handleKey(GLFW_KEY_7);
    EXPECT_EQ(context.activeCamera, scene->cameras[0].get());
    EXPECT_EQ(camera(0).keys.size(), passed.size()) << "switching does not reach or reset a camera";
}

// A world that goes leaves the shared context pointing at nothing of it.
TEST(GameStateLifetime, AWorldThatGoesTakesItsShipAndCameraFromTheContext) {
    GameContext context;
    {
        GameState state(&context);
        state.scene = std::make_unique<SceneManager>();
        context.spaceship = state.scene->spaceship = state.scene->own(
            std::make_unique<scene::Spaceship>(glm::mat4(1.0f), boxMesh(), nullptr));
        state.scene->cameras.push_back(std::make_unique<RecordingCamera>());
        context.activeCamera = state.scene->cameras[0].get();
    }
    EXPECT_EQ(context.spaceship, nullptr);
    EXPECT_EQ(context.activeCamera, nullptr);
}

// Beyond a face the ship reappears at the opposite one, but not at the face itself. Speed
// 0.2 flies 0.15 a second; the points are laid from the pose before the move, the next one
// on the far side.
TEST_F(World, WrapsEachAxisAndLaysThePointOnTheFarSide) {
    ship->modelMatrix[3] = glm::vec4(2.05f, -2.3f, 2.0f, 1.0f);
    ship->update(0.0);
    EXPECT_EQ(glm::vec3(ship->modelMatrix[3]), glm::vec3(-2.0f, 2.0f, 2.0f));
    ship->modelMatrix[3] = glm::vec4(-2.0f, 0.0f, -2.05f, 1.0f);
    ship->update(0.0);
    EXPECT_EQ(glm::vec3(ship->modelMatrix[3]), glm::vec3(-2.0f, 0.0f, 2.0f));

    ship->modelMatrix[3] = glm::vec4(1.9f, 0.0f, 0.0f, 1.0f);
    ship->trail.clear();
    ship->laySeedPoint();
    ship->setVelocity(glm::vec3(0.2f, 0, 0));
    ship->update(1.0); // 1.9 + 0.15 crosses the face
    EXPECT_NEAR(glm::vec3(ship->modelMatrix[3]).x, -2.0f, 1e-6f);
    ASSERT_EQ(ship->trail.size(), 1u);
    ship->update(0.0);
    ASSERT_EQ(ship->trail.size(), 2u);
    EXPECT_NEAR(ship->trail[0].position.x, 1.75f, 1e-5f);
    EXPECT_NEAR(ship->trail[1].position.x, -2.15f, 1e-5f);
}

// A reset brings back all a run changed, except the placement, which keeps the old pose
// until the next update; its one point lives 2000 ms, as points do before anything is
// collected (4000 per piece after).
TEST_F(World, ResetReturnsToTheStartWithOneFreshPoint) {
    ship->setVelocity(glm::vec3(0.6f, 0, 0));
    for (int i = 0; i < 10; ++i)
        ship->update(0.5);
    turn();
    ship->collected = 2.0f;
    ship->cockpitView = true;
    ASSERT_GT(ship->trail.size(), 3u);
    const glm::mat4 placedBefore = ship->placementMatrix;
    ship->reset();
    EXPECT_TRUE(ship->modelMatrix == ship->initialMatrix && ship->placementMatrix == placedBefore);
    ASSERT_EQ(ship->trail.size(), 1u);
    EXPECT_TRUE(ship->trail[0].position == tail() && ship->trail[0].lifetime == 2000.0f);
    EXPECT_TRUE(!ship->cockpitView && ship->atRest && ship->collected == 0.0f);
    EXPECT_EQ(ship->velocity, glm::vec3(0.0f));
}

// Only points older than the newest five are tested and aged, hits need the distance
// under both radii, and removals never reach the protected five.
TEST_F(World, TrailTestSkipsTheNewestFive) {
    setTrail(6, 0.0f, 2000.0f);
    ship->trail[5].position = tail(); // the newest point, right at the tail
    EXPECT_FALSE(ship->hitsOwnTrail(0.1f));
    EXPECT_FLOAT_EQ(ship->trail[0].age, 100.0f);
    EXPECT_EQ(ship->trail[1].age + ship->trail[5].age, 0.0f);
    ship->trail[0].position = tail() + glm::vec3(0.41f, 0, 0);
    EXPECT_FALSE(ship->hitsOwnTrail(0.0f));
    ship->trail[0].position = tail() + glm::vec3(0, 0.39f, 0);
    EXPECT_TRUE(ship->hitsOwnTrail(0.0f));

    setTrail(8, 2000.0f, 2000.0f);
    EXPECT_FALSE(ship->hitsOwnTrail(0.001f));
    ASSERT_EQ(ship->trail.size(), 5u);
    for (const scene::TrailPoint& p : ship->trail)
        EXPECT_EQ(p.age, 2000.0f) << "a protected point was aged";
}

// Reach is tested before expiry; the far oldest point expired and went, and the hit
// stopped the walk before the rest.
TEST_F(World, APointExpiringThisFrameStillHits) {
    setTrail(7, 1950.0f, 2000.0f);
    ship->trail[1].position = tail();
    EXPECT_TRUE(ship->hitsOwnTrail(0.1f));
    ASSERT_EQ(ship->trail.size(), 6u);
    EXPECT_EQ(ship->trail[0].position, tail());
    EXPECT_EQ(ship->trail[1].age, 1950.0f);
}

// Strict, asymmetric (only the ship's corners count), and blind to corner order.
TEST(Collision, OverlapIsStrictAsymmetricAndIgnoresCornerOrder) {
    const scene::WorldBox object{glm::vec3(0.0f), glm::vec3(1.0f)};
    const scene::WorldBox enclosing{glm::vec3(-1.0f), glm::vec3(2.0f)};
    EXPECT_FALSE(scene::boxesOverlap(enclosing, object)) << "ship extent encloses the object";
    EXPECT_TRUE(scene::boxesOverlap(object, enclosing)) << "the test is not symmetric";
    for (int axis = 0; axis < 3; ++axis) { // inside on two axes, beside it on the third
        scene::WorldBox beside{glm::vec3(0.4f), glm::vec3(0.6f)};
        beside.corner0[axis] = 1.5f;
        beside.corner1[axis] = 2.5f;
        EXPECT_FALSE(scene::boxesOverlap(beside, object)) << "a miss on axis " << axis << " alone";
        beside.corner0[axis] = 0.5f;
        EXPECT_TRUE(scene::boxesOverlap(beside, object)) << "a hit through axis " << axis;
    }
    // x0, x1 of a thin ship box and whether it hits: in, enclosing, touching, equal, out.
    const struct {
        float x0, x1;
        bool hit;
    } cases[] = {{0.5f, 2.0f, true},  {-1.0f, 0.5f, true},  {-1.0f, 2.0f, false},
                 {1.0f, 2.0f, false}, {0.0f, 1.0f, false},  {2.0f, 3.0f, false},
                 {0.0f, 0.5f, true},  {-1.0f, 1.0f, false}, {0.5f, 1.0f, true}};
    for (const auto& c : cases) {
        const scene::WorldBox s{glm::vec3(c.x0, 0.5f, 0.5f), glm::vec3(c.x1, 0.7f, 0.7f)};
        const scene::WorldBox sFlipped{s.corner1, s.corner0},
            flipped{object.corner1, object.corner0};
        EXPECT_EQ(scene::boxesOverlap(s, object), c.hit) << c.x0 << " " << c.x1;
        EXPECT_EQ(scene::boxesOverlap(sFlipped, object), c.hit) << c.x0 << " " << c.x1;
        EXPECT_EQ(scene::boxesOverlap(s, flipped), c.hit) << c.x0 << " " << c.x1;
        EXPECT_EQ(scene::boxesOverlap(sFlipped, flipped), c.hit) << c.x0 << " " << c.x1;
    }
}

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
    scene::CameraFixedPos camera;
    EXPECT_TRUE(near(eyeOf(camera), {0, 0, 10}));
    for (const auto& step : steps) {
        for (int key : step.keys)
            camera.handleKey(key);
        EXPECT_TRUE(near(camera.eye, step.eye) && near(camera.up, step.up))
            << "after key " << step.keys.back() << " of step " << &step - steps;
    }
    scene::CameraFixedPos zero;
    for (int i = 0; i < 10; ++i)
        zero.handleKey(GLFW_KEY_K);
    zero.handleKey(GLFW_KEY_W);
    zero.handleKey(GLFW_KEY_S);
    EXPECT_TRUE(near(zero.eye, {0, 0, 10}) && near(zero.up, {0, 1, 0}));
    zero.handleKey(GLFW_KEY_J);
    zero.handleKey(GLFW_KEY_W);
    EXPECT_TRUE(near(zero.eye, {0, 1, 0}));
}

// A held key keeps turning, J and K (which turn the orbit triple) do not stop it, and the
// clamps hold even for a frame of no time: pitch in [-78.75, -1], distance at least 5,
// centre not below 0. (Each key's turn and its speed the reference frames show.)
TEST(FreeCamera, HeldKeysTurnWithinTheClamps) {
    scene::FreeCamera camera({90, -30, 10}, {0, 0, 0}, {0, 1, 0});
    camera.handleKey(GLFW_KEY_W);
    camera.handleKey(GLFW_KEY_J);
    camera.handleKey(GLFW_KEY_K);
    for (int i = 0; i < 40; ++i)
        camera.update(0.05);
    EXPECT_FLOAT_EQ(camera.orbit.y, -78.75f);
    scene::FreeCamera low({90, 0, 3}, {0, -2, 0}, {0, 1, 0});
    low.update(0.0);
    EXPECT_TRUE(near(low.orbit, {90, -1, 5}) && low.center.y == 0.0f);
    // J and K turn the (yaw, pitch, distance) triple by one degree about up: the eye circles
    // the centre, nearer or farther.
    scene::FreeCamera j({90, -1, 10}, {0, 0, 0}, {0, 1, 0}), k = j;
    j.handleKey(GLFW_KEY_J);
    EXPECT_TRUE(near(j.orbit, {90.16f, -1, 8.43f}, 0.01f));
    k.handleKey(GLFW_KEY_K);
    EXPECT_TRUE(near(k.orbit, {89.81f, -1, 11.57f}, 0.01f));
}
