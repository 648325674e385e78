// One frame end to end: the scene pass around the state, the particles from the ship's
// tail with their restart rule, the three full-screen passes and what reaches the window.
#include "app/FramePipeline.h"
#include "app/GameContext.h"
#include "effects/ParticleSystem.h"
#include "gfx/Framebuffer.h"
#include "gl/support/GLTest.h"
#include "scene/Camera.h"
#include "scene/Spaceship.h"
#include "states/State.h"

#include <glm/gtc/matrix_transform.hpp>

#include <memory>
#include <string>
#include <vector>

using namespace drifthold;
using test::uniform;

namespace {

GameContext testContext;
State* currentState = nullptr;

// Records what the pipeline did around it and paints the scene in one colour.
class ScriptedState : public State {
public:
    ScriptedState() : State(&testContext) {}
    void update(double) override { events.push_back("update"); }
    void render() override {
        events.push_back("render");
        glGetIntegerv(GL_POLYGON_MODE, polygonMode);
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
        glClearColor(0.8f, 0.1f, 0.1f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    }
    std::vector<std::string> events;
    GLint polygonMode[2] = {};
    GLint target = -1;
};

class Pipeline : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::testing::internal::CaptureStdout();
        pipeline = new FramePipeline(testContext, currentState);
        ::testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() { delete pipeline; }
    void SetUp() override {
        testContext.activeCamera = &camera;
        testContext.spaceship = &ship;
        testContext.wireframe = false;
        currentState = &state;
        glEnable(GL_DEPTH_TEST);
    }
    void TearDown() override {
        testContext = GameContext();
        currentState = nullptr;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    float firstParticleAge() {
        Particle first{};
        glBindBuffer(GL_ARRAY_BUFFER, pipeline->particles.sourceBuffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(Particle), &first);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        return first.age;
    }

    static inline FramePipeline* pipeline = nullptr;
    ScriptedState state;
    scene::FreeCamera camera{glm::vec3(90, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0)};
    scene::Spaceship ship{glm::mat4(1.0f), MeshData(), nullptr};
};

} // namespace

// Wireframe covers the state's drawing into the scene buffer and nothing after it; without
// a ship the particles wait but the state still runs.
TEST_F(Pipeline, WireframeCoversOnlyTheStatesDrawing) {
    testContext.wireframe = true;
    pipeline->renderFrame(0.016);
    EXPECT_EQ(state.events, (std::vector<std::string>{"update", "render"}));
    EXPECT_EQ(state.polygonMode[0], GL_LINE);
    EXPECT_EQ(static_cast<GLuint>(state.target), pipeline->sceneBuffer.fbo);
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    testContext.wireframe = false;
    testContext.spaceship = nullptr;
    const int before = pipeline->particles.timeMillis;
    pipeline->renderFrame(0.016);
    EXPECT_EQ(state.polygonMode[0], GL_FILL);
    EXPECT_EQ(pipeline->particles.timeMillis, before);
    EXPECT_EQ(state.events.size(), 4u);
}

// gTime sums the truncated milliseconds (16 + 16, not 33.2), the emitter is the ship's tail
// and the shell lifetime follows the collected pieces.
TEST_F(Pipeline, ParticlesFollowTheShipsTailWithTruncatedFrameTimes) {
    ship.modelMatrix =
        glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.5f, 0.25f, 0.0f)), glm::vec3(0.15f));
    ship.collected = 3.0f;
    ParticleSystem& particles = pipeline->particles;
    const int before = particles.timeMillis;
    pipeline->renderFrame(0.0166);
    pipeline->renderFrame(0.0166);
    const GLuint program = particles.updateProgram->handle;
    EXPECT_EQ(particles.timeMillis, before + 32);
    EXPECT_FLOAT_EQ(uniform<float>(program, "gTime"), static_cast<float>(before + 32));
    EXPECT_FLOAT_EQ(uniform<float>(program, "gDeltaTimeMillis"), 16.0f);
    EXPECT_FLOAT_EQ(uniform<float>(program, "gShellLifetime"), 12000.0f);
    const glm::vec3 emitter = uniform<glm::vec3>(program, "gEmitterPosition");
    EXPECT_NEAR(glm::distance(emitter, glm::vec3(0.35f, 0.25f, 0.0f)), 0.0f, 1e-6f);
    ship.collected = 0.0f;
    pipeline->renderFrame(0.0166);
    EXPECT_FLOAT_EQ(uniform<float>(program, "gShellLifetime"), 2000.0f);
}

// Coming to rest restarts the pool once (ages start again from one step); staying at rest
// does not restart it again; moving switches the particles off until the next rest.
TEST_F(Pipeline, ParticlesRestartOncePerReset) {
    ParticleSystem& particles = pipeline->particles;
    particles.active = false;
    ship.atRest = true;
    pipeline->renderFrame(0.016);
    EXPECT_TRUE(particles.active);
    EXPECT_FLOAT_EQ(firstParticleAge(), 16.0f);
    pipeline->renderFrame(0.016);
    EXPECT_FLOAT_EQ(firstParticleAge(), 32.0f);
    ship.atRest = false;
    pipeline->renderFrame(0.016);
    EXPECT_FALSE(particles.active);
    EXPECT_FLOAT_EQ(firstParticleAge(), 48.0f);
    ship.atRest = true;
    pipeline->renderFrame(0.016);
    EXPECT_TRUE(particles.active);
    EXPECT_FLOAT_EQ(firstParticleAge(), 16.0f);
}

// The window gets the motion-blur result at full size (the state's red, not the cleared
// grey of an earlier pass).
TEST_F(Pipeline, TheWindowShowsTheMotionBlurredImage) {
    pipeline->renderFrame(0.016);
    GLint bound = -1, viewport[4] = {};
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_TRUE(bound == 0 && viewport[2] == 1024 && viewport[3] == 768);
    glBindFramebuffer(GL_FRAMEBUFFER, pipeline->motionBlurBuffer.fbo);
    const test::Rgba blurred = test::readPixel(700, 600);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glReadBuffer(GL_BACK);
    const test::Rgba window = test::readPixel(700, 600);
    EXPECT_TRUE(window.r == blurred.r && window.g == blurred.g && std::abs(window.r - 204) <= 1);
}
