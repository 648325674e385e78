// The rules of play and the game's keys, on a world of logic-only objects (no GL).
#include "gfx/MeshData.h"
#include "scene/Camera.h"
#include "scene/Meteor.h"
#include "scene/SpaceJunk.h"
#include "scene/Spaceship.h"
#include "states/GameContext.h"
#include "states/GameState.h"
#include "states/MenuState.h"
#include "states/SceneManager.h"
#include "support/Capture.h"
#include "support/Meshes.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>

#include <vector>

using namespace drifthold;
using test::boxMesh;

namespace {

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

// The menu answers its arrows and Enter with their lines and a click each, and every other
// key, releases included, with nothing.
TEST_F(World, TheMenuClicksForItsFiveKeys) {
    MenuState menu(&context);
    const std::string lines = test::stdoutOf([&] {
        for (int key : {GLFW_KEY_UP, GLFW_KEY_A, GLFW_KEY_ENTER, -1, GLFW_KEY_M, GLFW_KEY_LEFT})
            menu.handleKey(key);
    });
    EXPECT_EQ(lines, "MenuState - UP arrow pressed\nMenuState - ENTER pressed\n"
                     "MenuState - LEFT arrow pressed\n");
    EXPECT_EQ(heard.events, std::vector<std::string>(3, "menu"));
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
            std::make_unique<scene::Spaceship>(glm::mat4(1.0f), test::boxMesh(), nullptr));
        state.scene->cameras.push_back(std::make_unique<RecordingCamera>());
        context.activeCamera = state.scene->cameras[0].get();
    }
    EXPECT_EQ(context.spaceship, nullptr);
    EXPECT_EQ(context.activeCamera, nullptr);
}
