// Every ship reset starts the particles again; a hundred of them must leave the number of
// live GL objects where it was. `make soak` prints the counts this test reports.
#include "gl/support/GLTest.h"

#include "app/FramePipeline.h"
#include "app/GameContext.h"
#include "effects/ParticleSystem.h"
#include "gfx/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/Spaceship.h"
#include "states/GameState.h"
#include "states/SceneManager.h"

#include <glm/gtc/matrix_transform.hpp>

#include <iostream>
#include <memory>

using namespace drifthold;

namespace {

constexpr double kFrame = 0.016;

struct LiveObjects {
    int buffers = 0, textures = 0, programs = 0, vertexArrays = 0;
};

// Names are small integers handed out from 1; probing well past the highest in use
// counts every live object of each kind.
LiveObjects countLiveObjects() {
    LiveObjects live;
    for (GLuint name = 1; name <= 8192; ++name) {
        live.buffers += glIsBuffer(name) ? 1 : 0;
        live.textures += glIsTexture(name) ? 1 : 0;
        live.programs += glIsProgram(name) ? 1 : 0;
        live.vertexArrays += glIsVertexArray(name) ? 1 : 0;
    }
    return live;
}

std::string describe(const LiveObjects& live) {
    return "buffers " + std::to_string(live.buffers) + ", textures " +
           std::to_string(live.textures) + ", programs " + std::to_string(live.programs) +
           ", vertex arrays " + std::to_string(live.vertexArrays);
}

// The game's frame without the full-screen passes: the state's update and drawing, then
// the particles with their restart rule.
void playFrame(GameState& state, FramePipeline& pipeline) {
    state.update(kFrame);
    state.render();
    const glm::mat4 viewProjection =
        gameContext.activeCamera->getProjectionMatrix() * gameContext.activeCamera->getViewMatrix();
    pipeline.particlePass(kFrame, viewProjection);
}

// One reset through the rules of play: a frame in flight at top speed (the particles
// stop), then a frame that ends in a meteor or, every other time, in the ship's own
// trail (the particles start again).
void crash(GameState& state, FramePipeline& pipeline, int round) {
    scene::Spaceship* ship = state.scene->spaceship;
    state.handleKey(GLFW_KEY_4);
    playFrame(state, pipeline);
    ASSERT_FALSE(ship->atRest);
    ASSERT_FALSE(pipeline.particles->active);
    if (round % 2 == 0) {
        ship->modelMatrix[3] = state.scene->objects.at("meteor1")->placementMatrix[3];
    } else {
        const glm::vec3 tail(ship->modelMatrix * ship->tailPoint);
        for (int i = 0; i < 8; ++i)
            ship->trail.push_back(scene::TrailPoint{tail, 0.2f, 0.0f, 2000.0f});
    }
    playFrame(state, pipeline);
    ASSERT_TRUE(ship->atRest) << "round " << round << " did not reset the ship";
    ASSERT_EQ(ship->trail.size(), 1u);
    ASSERT_TRUE(pipeline.particles->active);
}

} // namespace

TEST(ResetLeak, HundredResetsLeaveTheLiveObjectCountsFlat) {
    auto* basic = new ShaderProgram();
    GLuint shader = 0;
    basic->attachShaderFile("Assets\\Shader\\basic.vert", GL_VERTEX_SHADER, shader);
    basic->attachShaderFile("Assets\\Shader\\basic.frag", GL_FRAGMENT_SHADER, shader);
    basic->link();
    glUseProgram(basic->handle);
    gameContext = GameContext();
    gameContext.basicProgram = basic;

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
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        const LiveObjects before = countLiveObjects();

        for (int round = 0; round < 100; ++round) {
            crash(*state, pipeline, round);
            if (HasFatalFailure())
                return;
        }
        glFinish();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        const LiveObjects after = countLiveObjects();

        std::cout << "GL objects before 100 resets: " << describe(before) << "\n"
                  << "GL objects after 100 resets:  " << describe(after) << std::endl;
        EXPECT_EQ(after.buffers, before.buffers);
        EXPECT_EQ(after.textures, before.textures);
        EXPECT_EQ(after.programs, before.programs);
        EXPECT_EQ(after.vertexArrays, before.vertexArrays);
        EXPECT_GT(before.buffers, 0);
        EXPECT_GT(before.programs, 0);
    }

    state.reset();
    glDeleteProgram(basic->handle);
    delete basic;
    gameContext = GameContext();
}
