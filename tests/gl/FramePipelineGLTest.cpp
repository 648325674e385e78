// One frame end to end: the scene pass around the state, the particles from the ship's
// tail with their restart rule, the three full-screen passes and what reaches the window.
#include "app/FramePipeline.h"
#include "app/GameContext.h"
#include "effects/MotionBlurPostprocessingTechnique.h"
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

namespace {

// Records what the pipeline did around it and paints the scene in one colour.
class ScriptedState : public State {
public:
    ScriptedState() : State(&gameContext) {}
    void update(double) override { events.push_back("update"); }
    void render() override {
        events.push_back("render");
        GLint mode[2] = {};
        glGetIntegerv(GL_POLYGON_MODE, mode);
        polygonMode = mode[0];
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &target);
        glClearColor(0.8f, 0.1f, 0.1f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    }
    std::vector<std::string> events;
    GLint polygonMode = 0;
    GLint target = -1;
};

float uniformFloat(GLuint program, const char* name) {
    GLfloat value = -1.0f;
    glGetUniformfv(program, glGetUniformLocation(program, name), &value);
    return value;
}

float firstParticleAge(const ParticleSystem& particles) {
    Particle first{};
    glBindBuffer(GL_ARRAY_BUFFER, particles.sourceBuffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(Particle), &first);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return first.age;
}

int liveGLObjects() {
    int live = 0;
    for (GLuint name = 1; name < 4000; ++name)
        live += (glIsBuffer(name) ? 1 : 0) + (glIsVertexArray(name) ? 1 : 0) +
                (glIsProgram(name) ? 1 : 0) + (glIsTexture(name) ? 1 : 0);
    return live;
}

class Pipeline : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ::testing::internal::CaptureStdout();
        pipeline = new FramePipeline();
        pipeline->init();
        ::testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() {
        pipeline->shutdown();
        delete pipeline;
    }

    void SetUp() override {
        ship = std::make_unique<scene::Spaceship>(glm::mat4(1.0f), MeshData(), nullptr);
        gameContext.activeCamera = &camera;
        gameContext.spaceship = ship.get();
        gameContext.wireframe = false;
        currentState = &state;
        glEnable(GL_DEPTH_TEST);
    }
    void TearDown() override {
        gameContext.activeCamera = nullptr;
        gameContext.spaceship = nullptr;
        gameContext.wireframe = false;
        currentState = nullptr;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    static FramePipeline* pipeline;
    ScriptedState state;
    scene::FreeCamera camera{glm::vec3(90, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0)};
    std::unique_ptr<scene::Spaceship> ship;
};

FramePipeline* Pipeline::pipeline = nullptr;

} // namespace

TEST_F(Pipeline, WireframeCoversOnlyTheStatesDrawing) {
    gameContext.wireframe = true;
    pipeline->renderFrame(0.016);
    EXPECT_EQ(state.events, (std::vector<std::string>{"update", "render"}));
    EXPECT_EQ(state.polygonMode, GL_LINE);
    EXPECT_EQ(static_cast<GLuint>(state.target), pipeline->sceneBuffer->fbo);
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);

    gameContext.wireframe = false;
    pipeline->renderFrame(0.016);
    EXPECT_EQ(state.polygonMode, GL_FILL);
}

TEST_F(Pipeline, ParticlesFollowTheShipsTailWithTruncatedFrameTimes) {
    ship->modelMatrix =
        glm::scale(glm::translate(glm::mat4(1.0f), glm::vec3(0.5f, 0.25f, 0.0f)), glm::vec3(0.15f));
    ship->collected = 3.0f;
    ParticleSystem& particles = *pipeline->particles;
    const int before = particles.timeMillis;
    pipeline->renderFrame(0.0166);
    pipeline->renderFrame(0.0166);
    const GLuint program = particles.updateProgram->handle;
    EXPECT_EQ(particles.timeMillis, before + 32);
    EXPECT_FLOAT_EQ(uniformFloat(program, "gTime"), static_cast<float>(before + 32));
    EXPECT_FLOAT_EQ(uniformFloat(program, "gDeltaTimeMillis"), 16.0f);
    EXPECT_FLOAT_EQ(uniformFloat(program, "gShellLifetime"), 12000.0f);
    GLfloat emitter[3] = {};
    glGetUniformfv(program, glGetUniformLocation(program, "gEmitterPosition"), emitter);
    EXPECT_NEAR(emitter[0], 0.35f, 1e-6f);
    EXPECT_NEAR(emitter[1], 0.25f, 1e-6f);
    EXPECT_NEAR(emitter[2], 0.0f, 1e-6f);

    ship->collected = 0.0f;
    pipeline->renderFrame(0.0166);
    EXPECT_FLOAT_EQ(uniformFloat(program, "gShellLifetime"), 2000.0f);
}

TEST_F(Pipeline, ParticlesRestartOncePerResetWithoutNewGLObjects) {
    ParticleSystem& particles = *pipeline->particles;
    particles.active = false;
    ship->atRest = true;
    pipeline->renderFrame(0.016); // restart, then one 16 ms step
    EXPECT_TRUE(particles.active);
    EXPECT_FLOAT_EQ(firstParticleAge(particles), 16.0f);
    pipeline->renderFrame(0.016); // still at rest: no second restart
    EXPECT_FLOAT_EQ(firstParticleAge(particles), 32.0f);
    ship->atRest = false;
    pipeline->renderFrame(0.016);
    EXPECT_FALSE(particles.active);
    EXPECT_FLOAT_EQ(firstParticleAge(particles), 48.0f);
    ship->atRest = true; // a reset
    pipeline->renderFrame(0.016);
    EXPECT_TRUE(particles.active);
    EXPECT_FLOAT_EQ(firstParticleAge(particles), 16.0f);

    const int live = liveGLObjects();
    for (int reset = 0; reset < 10; ++reset) {
        ship->atRest = false;
        pipeline->renderFrame(0.016);
        ship->atRest = true;
        pipeline->renderFrame(0.016);
    }
    EXPECT_EQ(liveGLObjects(), live);
}

TEST_F(Pipeline, WithoutAShipTheParticlesWait) {
    gameContext.spaceship = nullptr;
    const int before = pipeline->particles->timeMillis;
    pipeline->renderFrame(0.016);
    EXPECT_EQ(pipeline->particles->timeMillis, before);
    EXPECT_EQ(state.events.size(), 2u);
}

TEST_F(Pipeline, TheWindowShowsTheMotionBlurredImage) {
    pipeline->renderFrame(0.016);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 1024);
    EXPECT_EQ(viewport[3], 768);

    glReadBuffer(GL_BACK);
    const test::Rgba window = test::readPixel(700, 600);
    EXPECT_NEAR(window.r, 204, 1);
    EXPECT_NEAR(window.g, 26, 1);

    glBindFramebuffer(GL_FRAMEBUFFER, pipeline->motionBlurBuffer->fbo);
    const test::Rgba blurred = test::readPixel(700, 600);
    glBindFramebuffer(GL_FRAMEBUFFER, pipeline->shadowTextureBuffer->fbo);
    const test::Rgba lightView = test::readPixel(700, 600);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(window.r, blurred.r);
    EXPECT_EQ(window.g, blurred.g);
    EXPECT_NE(window.g, lightView.g) << "the shadow-texture image is drawn earlier and cleared";
}
