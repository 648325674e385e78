// Every ship reset starts the particles again; a hundred of them must leave the number of
// live GL objects where it was. `make soak` prints the counts this test reports.
#include "gl/support/GLTest.h"

#include "app/FramePipeline.h"
#include "app/GameContext.h"
#include "effects/ParticleSystem.h"
#include "scene/Camera.h"
#include "scene/Spaceship.h"
#include "states/GameState.h"
#include "states/SceneManager.h"

#include <iostream>

using namespace drifthold;

namespace {

std::string describe(const std::vector<int>& live) {
    return "buffers " + std::to_string(live[0]) + ", vertex arrays " + std::to_string(live[1]) +
           ", programs " + std::to_string(live[2]) + ", textures " + std::to_string(live[3]);
}

// The game's frame without the full-screen passes: the state, then the particles with
// their restart rule.
void playFrame(GameState& state, FramePipeline& pipeline) {
    state.update(0.016);
    state.render();
    scene::Camera& camera = *gameContext.activeCamera;
    pipeline.particlePass(0.016, camera.getProjectionMatrix() * camera.getViewMatrix());
}

// One reset through the rules of play: a frame in flight at top speed (the particles stop),
// then one that ends in a meteor or, every other round, in the ship's own trail.
void crash(GameState& state, FramePipeline& pipeline, int round) {
    scene::Spaceship* ship = state.scene->spaceship;
    state.handleKey(GLFW_KEY_4);
    playFrame(state, pipeline);
    ASSERT_FALSE(ship->atRest || pipeline.particles->active);
    if (round % 2 == 0)
        ship->modelMatrix[3] = state.scene->objects.at("meteor1")->placementMatrix[3];
    else
        ship->trail.assign(8,
                           {glm::vec3(ship->modelMatrix * ship->tailPoint), 0.2f, 0.0f, 2000.0f});
    playFrame(state, pipeline);
    ASSERT_TRUE(ship->atRest && pipeline.particles->active) << "round " << round;
}

} // namespace

TEST(ResetLeak, HundredResetsLeaveTheLiveObjectCountsFlat) {
    auto basic = test::basicProgram();
    glUseProgram(basic->handle);
    gameContext = GameContext();
    gameContext.basicProgram = basic.get();
    testing::internal::CaptureStdout();
    auto state = std::make_unique<GameState>(&gameContext);
    state->init();
    testing::internal::GetCapturedStdout();
    glEnable(GL_DEPTH_TEST);
    {
        FramePipeline pipeline;
        pipeline.particles = std::make_unique<ParticleSystem>();
        pipeline.particles->init(glm::vec3(0.0f));
        // The first rounds make whatever is made once.
        playFrame(*state, pipeline);
        crash(*state, pipeline, 0);
        crash(*state, pipeline, 1);
        const std::vector<int> before = test::liveObjects();
        for (int round = 0; round < 100 && !HasFatalFailure(); ++round)
            crash(*state, pipeline, round);
        const std::vector<int> after = test::liveObjects();
        std::cout << "GL objects before 100 resets: " << describe(before) << "\n"
                  << "GL objects after 100 resets:  " << describe(after) << std::endl;
        EXPECT_EQ(after, before);
        EXPECT_TRUE(before[0] > 0 && before[2] > 0);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    state.reset();
    glDeleteProgram(basic->handle);
    gameContext = GameContext();
}
