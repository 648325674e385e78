// Framebuffers, the full-screen techniques and the GPU particle pool, checked through
// what GL really holds: texture formats, uniforms, buffer contents and drawn pixels.
#include "effects/MotionBlurPostprocessingTechnique.h"
#include "effects/ParticleSystem.h"
#include "effects/PostprocessingTechnique.h"
#include "gfx/Framebuffer.h"
#include "gl/support/GLTest.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <vector>

using namespace drifthold;

namespace {

glm::mat4 uniformMatrix(GLuint program, const char* name) {
    const GLint location = glGetUniformLocation(program, name);
    EXPECT_NE(location, -1) << name;
    glm::mat4 m(0.0f);
    glGetUniformfv(program, location, &m[0][0]);
    return m;
}

void expectMatrixNear(const glm::mat4& actual, const glm::mat4& expected, float tolerance) {
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "column " << c << " row " << r;
}

GLint levelParameter(GLuint texture, GLenum name) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

GLint textureParameter(GLuint texture, GLenum name) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    glBindTexture(GL_TEXTURE_2D, 0);
    return value;
}

// Fills a rectangle of the bound target with one colour and one depth.
void fillRect(int x, int y, int w, int h, glm::vec3 colour, float depth) {
    glEnable(GL_SCISSOR_TEST);
    glScissor(x, y, w, h);
    glClearColor(colour.r, colour.g, colour.b, 1.0f);
    glClearDepth(depth);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glClearDepth(1.0);
}

test::Rgba pixelOf(const Framebuffer& fb, int x, int y) {
    glBindFramebuffer(GL_FRAMEBUFFER, fb.fbo);
    const test::Rgba p = test::readPixel(x, y);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return p;
}

std::vector<Particle> readPool(GLuint buffer) {
    std::vector<Particle> pool(ParticleSystem::kParticleCount);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, pool.size() * sizeof(Particle), pool.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return pool;
}

struct LiveObjects {
    int buffers = 0, arrays = 0, programs = 0, textures = 0;
    bool operator==(const LiveObjects& o) const {
        return buffers == o.buffers && arrays == o.arrays && programs == o.programs &&
               textures == o.textures;
    }
};

LiveObjects countLiveObjects() {
    LiveObjects live;
    for (GLuint name = 1; name < 4000; ++name) {
        live.buffers += glIsBuffer(name) ? 1 : 0;
        live.arrays += glIsVertexArray(name) ? 1 : 0;
        live.programs += glIsProgram(name) ? 1 : 0;
        live.textures += glIsTexture(name) ? 1 : 0;
    }
    return live;
}

class Effects : public ::testing::Test {
protected:
    void TearDown() override {
        glDisable(GL_RASTERIZER_DISCARD);
        glDisable(GL_DEPTH_TEST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
};

} // namespace

TEST_F(Effects, FramebufferReportsSuccessAndHasTheStatedTextures) {
    ::testing::internal::CaptureStdout();
    Framebuffer fb;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Initialize framebuffer...\nFramebuffer successfully initialized!\n");

    glBindFramebuffer(GL_FRAMEBUFFER, fb.fbo);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER),
              static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    const GLint colourFormat = levelParameter(fb.colorTexture, GL_TEXTURE_INTERNAL_FORMAT);
    EXPECT_TRUE(colourFormat == GL_RGB || colourFormat == GL_RGB8) << std::hex << colourFormat;
    EXPECT_EQ(levelParameter(fb.colorTexture, GL_TEXTURE_ALPHA_SIZE), 0);
    EXPECT_EQ(levelParameter(fb.colorTexture, GL_TEXTURE_RED_SIZE), 8);
    EXPECT_EQ(levelParameter(fb.depthTexture, GL_TEXTURE_INTERNAL_FORMAT), GL_DEPTH_COMPONENT24);
    for (GLuint texture : {fb.colorTexture, fb.depthTexture}) {
        EXPECT_EQ(levelParameter(texture, GL_TEXTURE_WIDTH), 1024);
        EXPECT_EQ(levelParameter(texture, GL_TEXTURE_HEIGHT), 768);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MIN_FILTER), GL_NEAREST);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_MAG_FILTER), GL_NEAREST);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(textureParameter(texture, GL_TEXTURE_WRAP_T), GL_CLAMP_TO_EDGE);
    }
    // Each framebuffer has a screen-quad program of its own.
    Framebuffer other;
    EXPECT_NE(other.quadProgram->handle, fb.quadProgram->handle);
    GLint bound = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(bound, 0);
}

TEST_F(Effects, DrawClearsTheTargetAndPresentsTheColourTheRightWayRound) {
    Framebuffer source, target;
    glBindFramebuffer(GL_FRAMEBUFFER, source.fbo);
    glViewport(0, 0, 1024, 768);
    fillRect(0, 0, 512, 768, {1, 0, 0}, 1.0f);   // left red
    fillRect(512, 0, 512, 768, {0, 0, 1}, 1.0f); // right blue
    fillRect(0, 700, 1024, 68, {0, 1, 0}, 1.0f); // green band at the top

    // Depth 0 everywhere in the target: without the clear the quad would fail the test.
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    fillRect(0, 0, 1024, 768, {1, 1, 1}, 0.0f);
    glEnable(GL_DEPTH_TEST);
    source.draw();

    const test::Rgba left = pixelOf(target, 10, 100);
    const test::Rgba right = pixelOf(target, 1013, 100);
    const test::Rgba top = pixelOf(target, 500, 760);
    EXPECT_EQ(left.r, 255);
    EXPECT_EQ(left.b, 0);
    EXPECT_EQ(right.b, 255);
    EXPECT_EQ(right.r, 0);
    EXPECT_EQ(top.g, 255);
    EXPECT_EQ(top.r, 0);
}

TEST_F(Effects, ShadowMappingUploadsProjectionTimesViewAndTheBias) {
    ShadowMappingPPT technique;
    const GLuint program = technique.program->handle;
    technique.setUniforms();
    expectMatrixNear(uniformMatrix(program, "VP"), glm::mat4(1.0f), 0.0f);

    technique.viewMatrix = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    technique.projectionMatrix = glm::scale(glm::mat4(1.0f), glm::vec3(2, 3, 4));
    Framebuffer source, target;
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    source.drawWith(technique, *technique.program);

    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), program);
    const glm::mat4 vp = uniformMatrix(program, "VP");
    EXPECT_EQ(vp[3], glm::vec4(2, 6, 12, 1)) << "projection must be on the left";
    expectMatrixNear(uniformMatrix(program, "viewMatrix"), technique.viewMatrix, 0.0f);
    expectMatrixNear(uniformMatrix(program, "projectionMatrix"), technique.projectionMatrix, 0.0f);
    expectMatrixNear(uniformMatrix(program, "bias"), ShadowMappingPPT::biasMatrix(), 0.0f);
    GLint unit = -1;
    glGetUniformiv(program, glGetUniformLocation(program, "depthTexture"), &unit);
    EXPECT_EQ(unit, 1);
}

TEST_F(Effects, ShadowTextureStoresProjectionTimesView) {
    ShadowTexturePPT technique;
    const glm::mat4 view = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    const glm::mat4 projection = glm::scale(glm::mat4(1.0f), glm::vec3(2, 3, 4));
    technique.setViewProjection(projection, view);
    technique.setUniforms();
    EXPECT_EQ(uniformMatrix(technique.program->handle, "lightVP")[3], glm::vec4(2, 6, 12, 1));
}

TEST_F(Effects, MotionBlurUploadsThePreviousFramesMatrix) {
    MotionBlurPostprocessingTechnique technique;
    const GLuint program = technique.program->handle;
    const glm::mat4 projection = glm::perspective(glm::radians(30.0f), 4.0f / 3.0f, 0.01f, 30.0f);
    const glm::mat4 first = glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0));
    const glm::mat4 moved = glm::lookAt(glm::vec3(3, 1, 9), glm::vec3(0), glm::vec3(0, 1, 0));

    // Nothing set yet: identity and its inverse.
    technique.setUniforms();
    expectMatrixNear(uniformMatrix(program, "previousViewProjectionMatrix"), glm::mat4(1.0f), 0);
    expectMatrixNear(uniformMatrix(program, "viewProjectionInverseMatrix"), glm::mat4(1.0f), 0);

    MotionBlurPostprocessingTechnique fresh;
    const GLuint freshProgram = fresh.program->handle;
    fresh.setViewProjection(projection, first);
    fresh.setUniforms(); // first application: no motion
    expectMatrixNear(uniformMatrix(freshProgram, "previousViewProjectionMatrix"),
                     projection * first, 0.0f);
    expectMatrixNear(uniformMatrix(freshProgram, "viewProjectionInverseMatrix"),
                     glm::inverse(projection * first), 1e-6f);

    fresh.setViewProjection(projection, first);
    fresh.setUniforms(); // unchanged camera: the same pair
    expectMatrixNear(uniformMatrix(freshProgram, "previousViewProjectionMatrix"),
                     projection * first, 0.0f);

    fresh.setViewProjection(projection, moved);
    fresh.setUniforms(); // moved camera: exactly last frame's matrix
    expectMatrixNear(uniformMatrix(freshProgram, "previousViewProjectionMatrix"),
                     projection * first, 0.0f);
    expectMatrixNear(uniformMatrix(freshProgram, "viewProjectionInverseMatrix"),
                     glm::inverse(projection * moved), 1e-6f);

    fresh.setUniforms(); // no new matrix in between: previous equals current
    expectMatrixNear(uniformMatrix(freshProgram, "previousViewProjectionMatrix"),
                     projection * moved, 0.0f);
}

TEST_F(Effects, MotionBlurIsSharpForAStillCameraAndSmearsATurningOne) {
    Framebuffer scene, blurred;
    glBindFramebuffer(GL_FRAMEBUFFER, scene.fbo);
    glViewport(0, 0, 1024, 768);
    fillRect(0, 0, 512, 768, {1, 0, 0}, 0.9f);
    fillRect(512, 0, 512, 768, {0, 0, 1}, 0.9f);

    MotionBlurPostprocessingTechnique technique;
    const glm::mat4 projection = glm::perspective(glm::radians(30.0f), 4.0f / 3.0f, 0.01f, 30.0f);
    auto viewAtYaw = [](float degrees) {
        const glm::vec3 eye(10.0f * std::sin(glm::radians(degrees)), 0.0f,
                            10.0f * std::cos(glm::radians(degrees)));
        return glm::lookAt(eye, glm::vec3(0), glm::vec3(0, 1, 0));
    };
    auto frameAt = [&](float yaw) {
        glBindFramebuffer(GL_FRAMEBUFFER, blurred.fbo);
        technique.setViewProjection(projection, viewAtYaw(yaw));
        scene.drawWith(technique, *technique.program);
    };
    auto isPure = [&](int x) {
        const test::Rgba p = pixelOf(blurred, x, 384);
        return (p.r == 255 && p.b == 0) || (p.r == 0 && p.b == 255);
    };

    frameAt(0.0f);
    frameAt(0.0f);
    for (int x = 505; x < 520; ++x)
        EXPECT_TRUE(isPure(x)) << "still camera must stay sharp at x " << x;

    frameAt(2.0f);
    int mixed = 0;
    for (int x = 480; x < 544; ++x)
        mixed += isPure(x) ? 0 : 1;
    EXPECT_GT(mixed, 10) << "a turning camera must smear the edge";
    EXPECT_TRUE(isPure(100)) << "far from the edge the colour stays pure";

    frameAt(2.0f);
    for (int x = 505; x < 520; ++x)
        EXPECT_TRUE(isPure(x)) << "sharp again once the camera stops, x " << x;
}

TEST_F(Effects, ParticlesStartAsStaggeredLaunchersAtTheEmitter) {
    ParticleSystem particles;
    ASSERT_TRUE(particles.init(glm::vec3(0.5f, -1.0f, 2.0f)));
    EXPECT_EQ(particles.emitterPosition, glm::vec3(0.5f, -1.0f, 2.0f));
    EXPECT_FALSE(particles.active);
    const auto pool = readPool(particles.sourceBuffer);
    const auto expected = initialParticles(glm::vec3(0.5f, -1.0f, 2.0f));
    for (std::size_t i = 0; i < pool.size(); ++i) {
        ASSERT_EQ(pool[i].type, 1.0f) << i;
        ASSERT_EQ(pool[i].position, glm::vec3(0.5f, -1.0f, 2.0f)) << i;
        ASSERT_EQ(pool[i].velocity, glm::vec3(0.0f, 0.1f, 0.0f)) << i;
        ASSERT_EQ(pool[i].age, 40.0f * static_cast<float>(i)) << i;
        ASSERT_EQ(pool[i].lifetime, 2000.0f) << i;
        ASSERT_EQ(pool[i].transparency, 0.0f) << i;
    }
    GLint size = 0;
    glBindBuffer(GL_ARRAY_BUFFER, particles.targetBuffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(size, 400000);
    GLint unit = -1;
    glGetUniformiv(particles.renderProgram->handle, particles.colorTextureLocation, &unit);
    EXPECT_EQ(unit, 4);
}

TEST_F(Effects, UpdateExchangesBuffersWithTheirVertexArraysAndKeepsThePoolFull) {
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    const GLuint source = particles.sourceBuffer, target = particles.targetBuffer;
    const GLuint sourceVao = particles.sourceVao, targetVao = particles.targetVao;

    GLuint query = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
    particles.update(2000.0f, 16);
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    GLuint written = 0;
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &written);
    glDeleteQueries(1, &query);
    EXPECT_EQ(written, 10000u) << "every slot writes exactly one particle back";
    EXPECT_TRUE(glIsEnabled(GL_RASTERIZER_DISCARD)) << "render switches discard off";

    EXPECT_EQ(particles.sourceBuffer, target);
    EXPECT_EQ(particles.targetBuffer, source);
    EXPECT_EQ(particles.sourceVao, targetVao);
    EXPECT_EQ(particles.targetVao, sourceVao);
    particles.update(2000.0f, 16);
    EXPECT_EQ(particles.sourceBuffer, source);
    EXPECT_EQ(particles.sourceVao, sourceVao);

    particles.render(glm::mat4(1.0f), glm::vec3(90, 0, 10));
    EXPECT_FALSE(glIsEnabled(GL_RASTERIZER_DISCARD));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites) << "render restores depth writes";
}

TEST_F(Effects, InitAgainRestoresThePoolAndReusesEveryGLObject) {
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    for (int i = 0; i < 30; ++i) {
        particles.timeMillis += 50;
        particles.update(2000.0f, 50);
    }
    const GLuint buffers[2] = {particles.sourceBuffer, particles.targetBuffer};
    const GLuint programs[2] = {particles.updateProgram->handle, particles.renderProgram->handle};
    const GLuint sprite = particles.particleTexture.id;
    const LiveObjects before = countLiveObjects();

    for (int i = 0; i < 100; ++i)
        particles.init(glm::vec3(1.0f, 2.0f, 3.0f));

    EXPECT_TRUE(countLiveObjects() == before) << "re-init must not create GL objects";
    EXPECT_EQ(particles.updateProgram->handle, programs[0]);
    EXPECT_EQ(particles.renderProgram->handle, programs[1]);
    EXPECT_EQ(particles.particleTexture.id, sprite);
    EXPECT_TRUE((particles.sourceBuffer == buffers[0] && particles.targetBuffer == buffers[1]) ||
                (particles.sourceBuffer == buffers[1] && particles.targetBuffer == buffers[0]));

    const auto pool = readPool(particles.sourceBuffer);
    const auto expected = initialParticles(glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(0, std::memcmp(pool.data(), expected.data(), pool.size() * sizeof(Particle)));
    EXPECT_EQ(particles.emitterPosition, glm::vec3(1.0f, 2.0f, 3.0f));
    GLfloat emitter[3] = {};
    glGetUniformfv(particles.updateProgram->handle, particles.emitterPositionLocation, emitter);
    EXPECT_EQ(glm::vec3(emitter[0], emitter[1], emitter[2]), glm::vec3(1.0f, 2.0f, 3.0f));
}

TEST_F(Effects, DestroyingTheSystemReleasesItsGLObjects) {
    const LiveObjects before = countLiveObjects();
    GLuint programs[2] = {};
    std::vector<GLuint> shaders;
    {
        ParticleSystem particles;
        particles.init(glm::vec3(0.0f));
        programs[0] = particles.updateProgram->handle;
        programs[1] = particles.renderProgram->handle;
        for (GLuint program : programs) {
            GLuint attached[2] = {};
            glGetAttachedShaders(program, 2, nullptr, attached);
            shaders.insert(shaders.end(), attached, attached + 2);
        }
    }
    const LiveObjects after = countLiveObjects();
    EXPECT_EQ(after.buffers, before.buffers);
    EXPECT_EQ(after.arrays, before.arrays);
    EXPECT_EQ(after.textures, before.textures);
    // The driver may hold on to the program last used for transform feedback; it must
    // be flagged for deletion all the same.
    for (GLuint program : programs) {
        GLint deleted = GL_TRUE;
        if (glIsProgram(program))
            glGetProgramiv(program, GL_DELETE_STATUS, &deleted);
        EXPECT_EQ(deleted, GL_TRUE) << program;
    }
    for (GLuint shader : shaders) {
        GLint deleted = GL_TRUE;
        if (glIsShader(shader))
            glGetShaderiv(shader, GL_DELETE_STATUS, &deleted);
        EXPECT_EQ(deleted, GL_TRUE) << shader;
    }
}

// Runs `seconds` of `stepMillis` steps with the emitter moving at `velocity` units per
// second.
static std::vector<Particle> simulate(ParticleSystem& particles, float seconds, glm::vec3 velocity,
                                      float lifetime, int stepMillis = 16) {
    const int steps = static_cast<int>(seconds * 1000.0f) / stepMillis;
    for (int i = 0; i < steps; ++i) {
        particles.emitterPosition += velocity * (static_cast<float>(stepMillis) / 1000.0f);
        particles.timeMillis += stepMillis;
        particles.update(lifetime, static_cast<std::uint32_t>(stepMillis));
    }
    glDisable(GL_RASTERIZER_DISCARD);
    return readPool(particles.sourceBuffer);
}

TEST_F(Effects, ARestingEmitterKeepsASteadyGlowAndNothingStraysFarFromIt) {
    ParticleSystem particles;
    particles.init(glm::vec3(1.0f, 1.0f, 1.0f));
    const auto pool = simulate(particles, 5.0f, glm::vec3(0.0f), 2000.0f);
    int visible = 0;
    for (const Particle& p : pool) {
        if (p.transparency > 0.0f) {
            ++visible;
            EXPECT_EQ(p.type, 2.0f);
            EXPECT_LE(p.age, p.lifetime);
            EXPECT_LT(glm::length(p.position - glm::vec3(1.0f)), 0.15f);
        } else {
            EXPECT_EQ(p.type, 1.0f);
            EXPECT_EQ(p.position, glm::vec3(1.0f));
        }
    }
    // Ten shells every 40 ms, each living two seconds.
    EXPECT_GT(visible, 350);
    EXPECT_LT(visible, 650);
}

// A slow frame rate must give the same stream, not blobs, and not a longer-lived one.
class MovingEmitter : public Effects, public ::testing::WithParamInterface<int> {};

TEST_P(MovingEmitter, LeavesAContinuousStreamBehindIt) {
    ParticleSystem particles;
    particles.init(glm::vec3(-1.0f, 0.0f, 0.0f));
    const glm::vec3 velocity(0.45f, 0.0f, 0.0f); // the ship's top speed
    const auto pool = simulate(particles, 4.0f, velocity, 2000.0f, GetParam());
    const float head = particles.emitterPosition.x;
    std::vector<float> xs;
    for (const Particle& p : pool) {
        if (p.transparency <= 0.0f)
            continue;
        xs.push_back(p.position.x);
        EXPECT_LT(std::abs(p.position.y), 0.15f);
        EXPECT_LT(std::abs(p.position.z), 0.15f);
        EXPECT_LT(p.position.x, head + 0.15f);
    }
    ASSERT_GT(xs.size(), 350u);
    EXPECT_LT(xs.size(), 650u);
    std::sort(xs.begin(), xs.end());
    EXPECT_LT(xs.front(), head - 0.7f) << "two seconds of flight stay visible";
    EXPECT_GT(xs.front(), head - 1.05f) << "nothing older than the shell lifetime";
    float widestGap = 0.0f;
    for (std::size_t i = 1; i < xs.size(); ++i)
        widestGap = std::max(widestGap, xs[i] - xs[i - 1]);
    EXPECT_LT(widestGap, 0.06f) << "the stream has no holes";
}

INSTANTIATE_TEST_SUITE_P(FrameSteps, MovingEmitter, ::testing::Values(16, 100, 400));

TEST_F(Effects, ALongHitchReleasesNoMoreThanASteadyFlow) {
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    particles.update(2000.0f, 8000); // the first frame carries the whole start-up
    glDisable(GL_RASTERIZER_DISCARD);
    int visible = 0;
    for (const Particle& p : readPool(particles.sourceBuffer)) {
        if (p.transparency > 0.0f) {
            ++visible;
            EXPECT_LT(p.age, 2000.0f);
        }
    }
    EXPECT_GT(visible, 350);
    EXPECT_LT(visible, 650);
}

TEST_F(Effects, ShellsGlowAroundTheEmitterAndNowhereElse) {
    if (!std::ifstream("Assets/Images/particle.jpg").good())
        GTEST_SKIP() << "no sprite image generated yet";
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    simulate(particles, 1.0f, glm::vec3(0.0f), 2000.0f);

    Framebuffer target;
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    glViewport(0, 0, 1024, 768);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    const glm::mat4 viewProjection =
        glm::perspective(glm::radians(30.0f), 4.0f / 3.0f, 0.01f, 30.0f) *
        glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0));
    particles.render(viewProjection, glm::vec3(90, 0, 10));
    glDisable(GL_BLEND);

    std::vector<unsigned char> pixels(1024 * 768 * 4);
    glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int lit = 0, stray = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            const unsigned char* p = &pixels[static_cast<std::size_t>(y * 1024 + x) * 4];
            if (p[0] + p[1] + p[2] < 30)
                continue;
            // The emitter sits at the centre; shells drift less than 0.1 units (14 px).
            const bool near = std::abs(x - 512) < 60 && std::abs(y - 384) < 60;
            (near ? lit : stray) += 1;
        }
    EXPECT_GT(lit, 200);
    EXPECT_EQ(stray, 0);
}

TEST_F(Effects, ParticleRandomnessIgnoresWhateverTextureSitsOnUnitZero) {
    // Per run a 2D and a 1D texture of different content on unit 0.
    GLuint noise[4] = {};
    glGenTextures(4, noise);
    const unsigned char texels[2][6] = {{0, 0, 0, 0, 0, 0}, {255, 200, 100, 30, 60, 90}};
    std::vector<Particle> runs[2];
    ParticleSystem particles;
    for (int run = 0; run < 2; ++run) {
        particles.timeMillis = 0;
        particles.init(glm::vec3(0.0f));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, noise[run]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 2, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, texels[run]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glBindTexture(GL_TEXTURE_1D, noise[2 + run]);
        glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels[run]);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        runs[run] = simulate(particles, 1.0f, glm::vec3(0.0f), 2000.0f);
    }
    glBindTexture(GL_TEXTURE_1D, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(4, noise);
    ASSERT_EQ(runs[0].size(), runs[1].size());
    EXPECT_EQ(0, std::memcmp(runs[0].data(), runs[1].data(), runs[0].size() * sizeof(Particle)));
    // And the shells do not all fly the same way.
    std::vector<glm::vec3> velocities;
    for (const Particle& p : runs[0])
        if (p.type == 2.0f)
            velocities.push_back(p.velocity);
    ASSERT_GT(velocities.size(), 10u);
    EXPECT_NE(velocities[0], velocities[1]);
}
