// Framebuffers, the full-screen techniques and the GPU particle pool, checked through
// what GL really holds: texture formats, uniforms, buffer contents and drawn pixels.
#include "effects/MotionBlurPostprocessingTechnique.h"
#include "effects/ParticleSystem.h"
#include "effects/PostprocessingTechnique.h"
#include "gfx/Framebuffer.h"
#include "gl/support/GLTest.h"
#include "support/TestImages.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cstring>
#include <filesystem>
#include <vector>

using namespace drifthold;
using test::uniform;

namespace {

const glm::mat4 kProjection = glm::perspective(glm::radians(30.0f), 4.0f / 3.0f, 0.01f, 30.0f);

glm::mat4 lookFrom(glm::vec3 eye) {
    return glm::lookAt(eye, glm::vec3(0), glm::vec3(0, 1, 0));
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
    return test::readPixel(x, y);
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

// `seconds` of 16 ms steps with the emitter standing still; returns the pool.
std::vector<Particle> simulate(ParticleSystem& particles, float seconds) {
    for (int i = 0; i < static_cast<int>(seconds * 1000.0f) / 16; ++i) {
        particles.timeMillis += 16;
        particles.update(2000.0f, 16);
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

// Exactly the two lines, a complete target, RGB colour without alpha and 24-bit depth, both
// window-sized, nearest-filtered and clamped.
TEST_F(Effects, FramebufferReportsSuccessAndHasTheStatedTextures) {
    ::testing::internal::CaptureStdout();
    Framebuffer fb;
    EXPECT_EQ(::testing::internal::GetCapturedStdout(),
              "Initialize framebuffer...\nFramebuffer successfully initialized!\n");
    glBindFramebuffer(GL_FRAMEBUFFER, fb.fbo);
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), GLenum(GL_FRAMEBUFFER_COMPLETE));
    for (GLuint texture : {fb.colorTexture.id(), fb.depthTexture.id()}) {
        glBindTexture(GL_TEXTURE_2D, texture);
        const GLint format = test::texLevel(GL_TEXTURE_INTERNAL_FORMAT);
        if (texture == fb.colorTexture)
            EXPECT_TRUE((format == GL_RGB || format == GL_RGB8) &&
                        test::texLevel(GL_TEXTURE_ALPHA_SIZE) == 0)
                << format;
        else
            EXPECT_EQ(format, GL_DEPTH_COMPONENT24);
        EXPECT_TRUE(test::texLevel(GL_TEXTURE_WIDTH) == 1024 &&
                    test::texLevel(GL_TEXTURE_HEIGHT) == 768);
        for (GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
            EXPECT_EQ(test::texParameter(name), GL_NEAREST);
        for (GLenum name : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
            EXPECT_EQ(test::texParameter(name), GL_CLAMP_TO_EDGE);
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

// The target holds depth 0: unless draw clears first, the quad fails the depth test. The
// left/right and top bands catch a mirrored or flipped quad.
TEST_F(Effects, DrawClearsTheTargetAndPresentsTheColourTheRightWayRound) {
    Framebuffer source, target;
    glBindFramebuffer(GL_FRAMEBUFFER, source.fbo);
    fillRect(0, 0, 512, 768, {1, 0, 0}, 1.0f);
    fillRect(512, 0, 512, 768, {0, 0, 1}, 1.0f);
    fillRect(0, 700, 1024, 68, {0, 1, 0}, 1.0f);
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

// Translation-only view and scale-only projection: the product order shows in column 3.
TEST_F(Effects, ShadowTechniquesUploadProjectionTimesView) {
    const glm::mat4 view = glm::translate(glm::mat4(1.0f), glm::vec3(1, 2, 3));
    const glm::mat4 projection = glm::scale(glm::mat4(1.0f), glm::vec3(2, 3, 4));
    ShadowMappingPPT mapping;
    mapping.viewMatrix = view;
    mapping.projectionMatrix = projection;
    Framebuffer source, target;
    glBindFramebuffer(GL_FRAMEBUFFER, target.fbo);
    source.drawWith(mapping, *mapping.program);
    const GLuint program = mapping.program->handle;
    EXPECT_EQ(uniform<glm::mat4>(program, "viewMatrix"), view);
    EXPECT_EQ(uniform<glm::mat4>(program, "projectionMatrix"), projection);
    EXPECT_EQ(uniform<glm::mat4>(program, "bias"), ShadowMappingPPT::biasMatrix());
    GLint unit = -1;
    glGetUniformiv(program, glGetUniformLocation(program, "depthTexture"), &unit);
    EXPECT_EQ(unit, 1);
    ShadowTexturePPT light;
    light.setViewProjection(projection, view);
    light.setUniforms();
    EXPECT_EQ(uniform<glm::mat4>(light.program->handle, "lightVP")[3], glm::vec4(2, 6, 12, 1));
}

// The blur compares each frame with the one before: the first application counts as
// standing still, an unchanged camera keeps the pair equal and a moved camera gets exactly
// last frame's matrix.
TEST_F(Effects, MotionBlurComparesEachFrameWithThePreviousOne) {
    Framebuffer scene, blurredImage;
    MotionBlurPostprocessingTechnique blur;
    const GLuint program = blur.program->handle;
    bool blurred = false; // drawn with the blur, not the plain copy of a still view
    auto previousAfter = [&](glm::vec3 eye) {
        blur.setViewProjection(kProjection, lookFrom(eye));
        glBindFramebuffer(GL_FRAMEBUFFER, blurredImage.fbo);
        const ShaderProgram& used = blur.programForThisFrame();
        blurred = &used == blur.program.get();
        scene.drawWith(blur, used);
        return uniform<glm::mat4>(program, "previousViewProjectionMatrix");
    };
    const glm::mat4 still = kProjection * lookFrom({0, 0, 10});
    EXPECT_EQ(previousAfter({0, 0, 10}), still);
    EXPECT_FALSE(blurred);
    const glm::mat4 inverse = uniform<glm::mat4>(program, "viewProjectionInverseMatrix");
    for (int c = 0; c < 4; ++c)
        EXPECT_NEAR(glm::distance(inverse[c], glm::inverse(still)[c]), 0.0f, 1e-4f);
    EXPECT_EQ(previousAfter({0, 0, 10}), still);
    EXPECT_FALSE(blurred);
    EXPECT_EQ(previousAfter({1, 0, 10}), still);
    EXPECT_TRUE(blurred);
    EXPECT_EQ(previousAfter({1, 0, 10}), blur.viewProjection);
    EXPECT_FALSE(blurred);
}

// init uploads the initial pool and the sprite unit; init again puts the pool back at the
// new emitter with the same programs and sprite (ResetLeakGLTest counts objects over 100).
TEST_F(Effects, InitFillsThePoolAndInitAgainRestoresItWithTheSameGLObjects) {
    ParticleSystem particles;
    ASSERT_TRUE(particles.init(glm::vec3(0.5f, -1.0f, 2.0f)));
    EXPECT_TRUE(samePool(readPool(particles.sourceBuffer), initialParticles({0.5f, -1.0f, 2.0f})));
    GLint unit = -1;
    glGetUniformiv(particles.renderProgram->handle, particles.colorTextureLocation, &unit);
    EXPECT_EQ(unit, 4);
    simulate(particles, 1.0f);
    const GLuint programs[2] = {particles.updateProgram->handle, particles.renderProgram->handle};
    const GLuint sprite = particles.particleTexture.id;
    particles.init(glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(particles.updateProgram->handle, programs[0]);
    EXPECT_EQ(particles.renderProgram->handle, programs[1]);
    EXPECT_EQ(particles.particleTexture.id, sprite);
    EXPECT_TRUE(samePool(readPool(particles.sourceBuffer), initialParticles({1.0f, 2.0f, 3.0f})));
    EXPECT_EQ(uniform<glm::vec3>(programs[0], "gEmitterPosition"), glm::vec3(1.0f, 2.0f, 3.0f));
}

// Each update writes all 10000 slots and swaps buffers together with their vertex arrays;
// rasterizer discard stays on until render, which also restores depth writes.
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
    EXPECT_EQ(written, 10000u);
    EXPECT_TRUE(particles.sourceBuffer == target && particles.sourceVao == targetVao);
    EXPECT_TRUE(particles.targetBuffer == source && particles.targetVao == sourceVao);
    particles.update(2000.0f, 16);
    EXPECT_TRUE(particles.sourceBuffer == source && particles.sourceVao == sourceVao);
    EXPECT_TRUE(glIsEnabled(GL_RASTERIZER_DISCARD));
    particles.render(glm::mat4(1.0f), glm::vec3(90, 0, 10));
    EXPECT_FALSE(glIsEnabled(GL_RASTERIZER_DISCARD));
    GLboolean depthWrites = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &depthWrites);
    EXPECT_TRUE(depthWrites);
}

// The update shader's random sampler is 1D: two runs with different 1D textures on unit 0
// give the same pool, and the shells do not all fly the same way.
TEST_F(Effects, ParticleRandomnessIgnoresWhateverTextureSitsOnUnitZero) {
    GLuint noise[2] = {};
    glGenTextures(2, noise);
    const unsigned char texels[2][6] = {{0, 0, 0, 0, 0, 0}, {255, 200, 100, 30, 60, 90}};
    std::vector<Particle> runs[2];
    ParticleSystem particles;
    for (int run = 0; run < 2; ++run) {
        particles.timeMillis = 0;
        particles.init(glm::vec3(0.0f));
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_1D, noise[run]);
        glTexImage1D(GL_TEXTURE_1D, 0, GL_RGB, 2, 0, GL_RGB, GL_UNSIGNED_BYTE, texels[run]);
        glTexParameteri(GL_TEXTURE_1D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        runs[run] = simulate(particles, 1.0f);
    }
    glBindTexture(GL_TEXTURE_1D, 0);
    glDeleteTextures(2, noise);
    EXPECT_TRUE(samePool(runs[0], runs[1]));
    std::vector<glm::vec3> velocities;
    for (const Particle& p : runs[0])
        if (p.type == 2.0f)
            velocities.push_back(p.velocity);
    ASSERT_GT(velocities.size(), 10u);
    EXPECT_NE(velocities[0], velocities[1]);
}

// The sprite in an odd-width palette image, cut short, empty or missing: the particles
// still start, step and draw. They open "Assets\\Images\\particle.jpg" from the working
// folder, so this runs in one whose Assets hold the real shaders and a sprite of its own.
TEST_F(Effects, ABrokenOrMissingSpriteStillStartsStepsAndDraws) {
    namespace fs = std::filesystem;
    const fs::path home = fs::current_path(), root = test::tempFolder("sprite");
    fs::create_directories(root / "Assets" / "Images");
    if (!fs::exists(root / "Assets" / "Shader"))
        fs::create_directory_symlink(home / "Assets" / "Shader", root / "Assets" / "Shader");
    const std::string jpeg = test::readFile("Assets/Images/particle.jpg");
    const std::string sprite = (root / "Assets" / "Images" / "particle.jpg").string();
    fs::current_path(root);
    for (int form = 0; form < 4; ++form) {
        if (form == 0)
            test::writeImage((root / "Assets" / "Images").string(), "particle.jpg",
                             test::Depth::Palette4, 7, 5);
        else if (form < 3)
            test::writeFile(sprite, jpeg.substr(0, form == 1 ? jpeg.size() / 2 : 0));
        else
            fs::remove(sprite);
        ParticleSystem particles;
        particles.init(glm::vec3(0.0f));
        simulate(particles, 0.05f);
        particles.render(kProjection * lookFrom({0, 0, 10}), glm::vec3(90, 0, 10));
        glFinish();
        EXPECT_TRUE(glIsTexture(particles.particleTexture.id)) << form;
        if (form != 1) { // a half JPEG may still decode
            EXPECT_EQ(particles.particleTexture.width, form == 0 ? 7 : 0) << form;
        }
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << form;
    }
    fs::current_path(home);
}
