// Framebuffers, the full-screen techniques and the GPU particle pool, checked through
// what GL really holds: texture formats, uniforms, buffer contents and drawn pixels.
#include "effects/MotionBlurPostprocessingTechnique.h"
#include "effects/ParticleSystem.h"
#include "effects/PostprocessingTechnique.h"
#include "gfx/Framebuffer.h"
#include "gl/support/GLTest.h"

#include <glm/gtc/matrix_transform.hpp>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <vector>

using namespace drifthold;

namespace {

const glm::mat4 kProjection = glm::perspective(glm::radians(30.0f), 4.0f / 3.0f, 0.01f, 30.0f);

glm::mat4 uniformMatrix(GLuint program, const char* name) {
    glm::mat4 m(0.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), &m[0][0]);
    return m;
}

GLint textureValue(GLuint texture, GLenum name, bool level) {
    GLint value = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    if (level)
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, name, &value);
    else
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

bool samePool(const std::vector<Particle>& a, const std::vector<Particle>& b) {
    return a.size() == b.size() &&
           std::memcmp(a.data(), b.data(), a.size() * sizeof(Particle)) == 0;
}

// Live buffers, vertex arrays, programs and textures among the low names.
std::vector<int> liveObjects() {
    std::vector<int> live(4, 0);
    for (GLuint name = 1; name < 4000; ++name) {
        live[0] += glIsBuffer(name) ? 1 : 0;
        live[1] += glIsVertexArray(name) ? 1 : 0;
        live[2] += glIsProgram(name) ? 1 : 0;
        live[3] += glIsTexture(name) ? 1 : 0;
    }
    return live;
}

// `seconds` of `stepMillis` steps with the emitter moving at `velocity` units per second.
std::vector<Particle> simulate(ParticleSystem& particles, float seconds, glm::vec3 velocity,
                               int stepMillis = 16) {
    for (int i = 0; i < static_cast<int>(seconds * 1000.0f) / stepMillis; ++i) {
        particles.emitterPosition += velocity * (static_cast<float>(stepMillis) / 1000.0f);
        particles.timeMillis += stepMillis;
        particles.update(2000.0f, static_cast<std::uint32_t>(stepMillis));
    }
    glDisable(GL_RASTERIZER_DISCARD);
    return readPool(particles.sourceBuffer);
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
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    const GLint colour = textureValue(fb.colorTexture, GL_TEXTURE_INTERNAL_FORMAT, true);
    EXPECT_TRUE(colour == GL_RGB || colour == GL_RGB8) << std::hex << colour;
    EXPECT_EQ(textureValue(fb.colorTexture, GL_TEXTURE_ALPHA_SIZE, true), 0);
    EXPECT_EQ(textureValue(fb.depthTexture, GL_TEXTURE_INTERNAL_FORMAT, true),
              GL_DEPTH_COMPONENT24);
    for (GLuint texture : {fb.colorTexture, fb.depthTexture}) {
        EXPECT_EQ(textureValue(texture, GL_TEXTURE_WIDTH, true), 1024);
        EXPECT_EQ(textureValue(texture, GL_TEXTURE_HEIGHT, true), 768);
        EXPECT_EQ(textureValue(texture, GL_TEXTURE_MIN_FILTER, false), GL_NEAREST);
        EXPECT_EQ(textureValue(texture, GL_TEXTURE_MAG_FILTER, false), GL_NEAREST);
        EXPECT_EQ(textureValue(texture, GL_TEXTURE_WRAP_S, false), GL_CLAMP_TO_EDGE);
        EXPECT_EQ(textureValue(texture, GL_TEXTURE_WRAP_T, false), GL_CLAMP_TO_EDGE);
    }
}

TEST_F(Effects, DrawClearsTheTargetAndPresentsTheColourTheRightWayRound) {
    Framebuffer source, target;
    glBindFramebuffer(GL_FRAMEBUFFER, source.fbo);
    fillRect(0, 0, 512, 768, {1, 0, 0}, 1.0f);   // left red
    fillRect(512, 0, 512, 768, {0, 0, 1}, 1.0f); // right blue
    fillRect(0, 700, 1024, 68, {0, 1, 0}, 1.0f); // green band at the top
    // Depth 0 in the target: unless draw clears first, the quad fails the depth test.
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    fillRect(0, 0, 1024, 768, {1, 1, 1}, 0.0f);
    glEnable(GL_DEPTH_TEST);
    source.draw();

    const test::Rgba left = pixelOf(target, 10, 100), right = pixelOf(target, 1013, 100);
    const test::Rgba top = pixelOf(target, 500, 760);
    EXPECT_TRUE(left.r == 255 && left.b == 0);
    EXPECT_TRUE(right.r == 0 && right.b == 255);
    EXPECT_TRUE(top.r == 0 && top.g == 255);
}

TEST_F(Effects, ShadowTechniquesUploadProjectionTimesView) {
    // Translation-only view and scale-only projection: the order shows in column 3.
    const glm::mat4 view = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    const glm::mat4 projection = glm::scale(glm::mat4(1.0f), glm::vec3(2, 3, 4));
    ShadowMappingPPT mapping;
    mapping.viewMatrix = view;
    mapping.projectionMatrix = projection;
    Framebuffer source, target;
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    source.drawWith(mapping, *mapping.program);
    const GLuint program = mapping.program->handle;
    EXPECT_EQ(uniformMatrix(program, "VP")[3], glm::vec4(2, 6, 12, 1));
    EXPECT_EQ(uniformMatrix(program, "viewMatrix"), view);
    EXPECT_EQ(uniformMatrix(program, "projectionMatrix"), projection);
    EXPECT_EQ(uniformMatrix(program, "bias"), ShadowMappingPPT::biasMatrix());
    GLint unit = -1;
    glGetUniformiv(program, glGetUniformLocation(program, "depthTexture"), &unit);
    EXPECT_EQ(unit, 1);

    ShadowTexturePPT light;
    light.setViewProjection(projection, view);
    light.setUniforms();
    EXPECT_EQ(uniformMatrix(light.program->handle, "lightVP")[3], glm::vec4(2, 6, 12, 1));
}

TEST_F(Effects, MotionBlurUploadsThePreviousFramesMatrix) {
    MotionBlurPostprocessingTechnique blur;
    const GLuint program = blur.program->handle;
    const glm::mat4 first =
        kProjection * glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0));
    const glm::mat4 moved =
        kProjection * glm::lookAt(glm::vec3(3, 1, 9), glm::vec3(0), glm::vec3(0, 1, 0));
    auto apply = [&](const glm::mat4& viewProjection) {
        blur.viewProjection = viewProjection;
        blur.setUniforms();
        return uniformMatrix(program, "previousViewProjectionMatrix");
    };
    EXPECT_EQ(apply(first), first) << "the first frame shows no motion";
    const glm::mat4 inverse = uniformMatrix(program, "viewProjectionInverseMatrix");
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            EXPECT_NEAR(inverse[c][r], glm::inverse(first)[c][r], 1e-5f);
    EXPECT_EQ(apply(first), first) << "a still camera gives the same pair";
    EXPECT_EQ(apply(moved), first) << "a moved camera gets exactly last frame's matrix";
    EXPECT_EQ(apply(moved), moved);
}

TEST_F(Effects, MotionBlurIsSharpForAStillCameraAndSmearsATurningOne) {
    Framebuffer scene, blurred;
    glBindFramebuffer(GL_FRAMEBUFFER, scene.fbo);
    fillRect(0, 0, 512, 768, {1, 0, 0}, 0.9f);
    fillRect(512, 0, 512, 768, {0, 0, 1}, 0.9f);
    MotionBlurPostprocessingTechnique blur;
    auto frameAt = [&](float yaw) {
        const glm::vec3 eye(10.0f * std::sin(glm::radians(yaw)), 0,
                            10.0f * std::cos(glm::radians(yaw)));
        blur.setViewProjection(kProjection, glm::lookAt(eye, glm::vec3(0), glm::vec3(0, 1, 0)));
        glBindFramebuffer(GL_FRAMEBUFFER, blurred.fbo);
        scene.drawWith(blur, *blur.program);
    };
    auto mixedPixels = [&] {
        int mixed = 0;
        for (int x = 480; x < 544; ++x) {
            const test::Rgba p = pixelOf(blurred, x, 384);
            mixed += (p.r == 255 && p.b == 0) || (p.r == 0 && p.b == 255) ? 0 : 1;
        }
        return mixed;
    };
    frameAt(0.0f);
    frameAt(0.0f);
    EXPECT_EQ(mixedPixels(), 0) << "a still camera keeps the edge sharp";
    frameAt(2.0f);
    EXPECT_GT(mixedPixels(), 10) << "a turning camera smears it";
    EXPECT_EQ(pixelOf(blurred, 100, 384).r, 255) << "far from the edge the colour stays";
    frameAt(2.0f);
    EXPECT_EQ(mixedPixels(), 0) << "sharp again once the camera stops";
}

TEST_F(Effects, InitFillsThePoolAndInitAgainRestoresItWithTheSameGLObjects) {
    ParticleSystem particles;
    ASSERT_TRUE(particles.init(glm::vec3(0.5f, -1.0f, 2.0f)));
    EXPECT_TRUE(samePool(readPool(particles.sourceBuffer), initialParticles({0.5f, -1.0f, 2.0f})));
    GLint unit = -1;
    glGetUniformiv(particles.renderProgram->handle, particles.colorTextureLocation, &unit);
    EXPECT_EQ(unit, 4);

    simulate(particles, 1.0f, glm::vec3(0.0f), 50);
    const GLuint programs[2] = {particles.updateProgram->handle, particles.renderProgram->handle};
    const GLuint sprite = particles.particleTexture.id;
    const std::vector<int> before = liveObjects();
    for (int reset = 0; reset < 100; ++reset)
        particles.init(glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(liveObjects(), before) << "a re-init must not create GL objects";
    EXPECT_EQ(particles.updateProgram->handle, programs[0]);
    EXPECT_EQ(particles.renderProgram->handle, programs[1]);
    EXPECT_EQ(particles.particleTexture.id, sprite);
    EXPECT_TRUE(samePool(readPool(particles.sourceBuffer), initialParticles({1.0f, 2.0f, 3.0f})));
    GLfloat emitter[3] = {};
    glGetUniformfv(programs[0], particles.emitterPositionLocation, emitter);
    EXPECT_EQ(glm::vec3(emitter[0], emitter[1], emitter[2]), glm::vec3(1.0f, 2.0f, 3.0f));
}

TEST_F(Effects, UpdateWritesAFullPoolAndExchangesBuffersWithTheirVertexArrays) {
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    const GLuint source = particles.sourceBuffer, sourceVao = particles.sourceVao;
    const GLuint target = particles.targetBuffer, targetVao = particles.targetVao;
    GLuint query = 0, written = 0;
    glGenQueries(1, &query);
    glBeginQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN, query);
    particles.update(2000.0f, 16);
    glEndQuery(GL_TRANSFORM_FEEDBACK_PRIMITIVES_WRITTEN);
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &written);
    glDeleteQueries(1, &query);
    EXPECT_EQ(written, 10000u) << "no slot may keep a stale particle";
    EXPECT_TRUE(particles.sourceBuffer == target && particles.sourceVao == targetVao);
    EXPECT_TRUE(particles.targetBuffer == source && particles.targetVao == sourceVao);
    particles.update(2000.0f, 16);
    EXPECT_TRUE(particles.sourceBuffer == source && particles.sourceVao == sourceVao);

    EXPECT_TRUE(glIsEnabled(GL_RASTERIZER_DISCARD)) << "left on until render";
    particles.render(glm::mat4(1.0f), glm::vec3(90, 0, 10));
    EXPECT_FALSE(glIsEnabled(GL_RASTERIZER_DISCARD));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites) << "render restores depth writes";
}

TEST_F(Effects, DestroyingTheSystemReleasesItsGLObjects) {
    const std::vector<int> before = liveObjects();
    GLuint programs[2] = {};
    {
        ParticleSystem particles;
        particles.init(glm::vec3(0.0f));
        programs[0] = particles.updateProgram->handle;
        programs[1] = particles.renderProgram->handle;
    }
    const std::vector<int> after = liveObjects();
    EXPECT_TRUE(after[0] == before[0] && after[1] == before[1] && after[3] == before[3]);
    // The driver may keep the last transform-feedback program alive, flagged for deletion.
    for (GLuint program : programs) {
        GLint deleted = GL_TRUE;
        if (glIsProgram(program))
            glGetProgramiv(program, GL_DELETE_STATUS, &deleted);
        EXPECT_EQ(deleted, GL_TRUE);
    }
}

// A slow frame rate must still give one continuous stream, living two seconds.
class MovingEmitter : public Effects, public ::testing::WithParamInterface<int> {};

TEST_P(MovingEmitter, LeavesAContinuousStreamBehindIt) {
    ParticleSystem particles;
    particles.init(glm::vec3(-1.0f, 0.0f, 0.0f));
    const auto pool = simulate(particles, 4.0f, glm::vec3(0.45f, 0, 0), GetParam()); // top speed
    const float head = particles.emitterPosition.x;
    std::vector<float> xs;
    for (const Particle& p : pool) {
        if (p.transparency <= 0.0f) {
            EXPECT_EQ(p.position, particles.emitterPosition) << "launchers wait at the emitter";
            continue;
        }
        xs.push_back(p.position.x);
        EXPECT_LT(glm::length(glm::vec2(p.position.y, p.position.z)), 0.15f);
        EXPECT_LT(p.position.x, head + 0.15f);
    }
    ASSERT_GT(xs.size(), 350u) << "ten shells every 40 ms";
    EXPECT_LT(xs.size(), 650u);
    std::sort(xs.begin(), xs.end());
    EXPECT_LT(xs.front(), head - 0.7f);
    EXPECT_GT(xs.front(), head - 1.05f) << "nothing older than the shell lifetime";
    for (std::size_t i = 1; i < xs.size(); ++i)
        ASSERT_LT(xs[i] - xs[i - 1], 0.06f) << "the stream has a hole";
}

INSTANTIATE_TEST_SUITE_P(FrameSteps, MovingEmitter, ::testing::Values(16, 100, 400));

TEST_F(Effects, ALongHitchReleasesNoMoreThanASteadyFlow) {
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    const auto pool = simulate(particles, 8.0f, glm::vec3(0.0f), 8000); // start-up's first frame
    const auto visible = std::count_if(pool.begin(), pool.end(),
                                       [](const Particle& p) { return p.transparency > 0.0f; });
    EXPECT_GT(visible, 350);
    EXPECT_LT(visible, 650);
}

TEST_F(Effects, ShellsGlowAroundTheEmitterAndNowhereElse) {
    if (!std::ifstream("Assets/Images/particle.jpg").good())
        GTEST_SKIP() << "no sprite image generated yet";
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    simulate(particles, 1.0f, glm::vec3(0.0f));
    Framebuffer target;
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    fillRect(0, 0, 1024, 768, {0, 0, 0}, 1.0f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    particles.render(kProjection *
                         glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0)),
                     glm::vec3(90, 0, 10));
    glDisable(GL_BLEND);
    std::vector<unsigned char> pixels(1024 * 768 * 4);
    glReadPixels(0, 0, 1024, 768, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    int lit = 0, stray = 0;
    for (int y = 0; y < 768; ++y)
        for (int x = 0; x < 1024; ++x) {
            const unsigned char* p = &pixels[static_cast<std::size_t>(y * 1024 + x) * 4];
            if (p[0] + p[1] + p[2] >= 30)
                ++(std::abs(x - 512) < 60 && std::abs(y - 384) < 60 ? lit : stray);
        }
    EXPECT_GT(lit, 200) << "the emitter sits at the centre of the view";
    EXPECT_EQ(stray, 0);
}

TEST_F(Effects, ParticleRandomnessIgnoresWhateverTextureSitsOnUnitZero) {
    GLuint noise[4] = {}; // per run a 2D and a 1D texture of different content on unit 0
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
        runs[run] = simulate(particles, 1.0f, glm::vec3(0.0f));
    }
    glBindTexture(GL_TEXTURE_1D, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDeleteTextures(4, noise);
    EXPECT_TRUE(samePool(runs[0], runs[1]));
    std::vector<glm::vec3> velocities; // and the shells do not all fly the same way
    for (const Particle& p : runs[0])
        if (p.type == 2.0f)
            velocities.push_back(p.velocity);
    ASSERT_GT(velocities.size(), 10u);
    EXPECT_NE(velocities[0], velocities[1]);
}
