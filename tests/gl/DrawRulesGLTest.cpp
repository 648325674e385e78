// What a frame does to GL, recorded draw by draw: the order of the scene's objects, the
// culling and blending each draw is made with, the program of each pass, and the GL
// objects the game keeps (shaders, mipmaps, the particle pool).
#include "gl/DrawLog.h"
#include "gl/GLTest.h"

#include "effects/ParticleSystem.h"
#include "scene/Spaceship.h"
#include "scene/StarSphere.h"
#include "states/GameState.h"
#include "states/SceneManager.h"
#include "support/Capture.h"
#include "support/Files.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace drifthold;
using test::Draw;
using test::DrawLog;
using test::GLTest;
using test::PlayedGame;

namespace {

// The vertex arrays of the scene pass, in the order they were drawn.
std::vector<GLuint> sceneObjects(const std::vector<Draw>& draws, GLuint sceneBuffer) {
    std::vector<GLuint> drawn;
    for (const Draw& draw : draws)
        if (draw.framebuffer == sceneBuffer && draw.mode == GL_TRIANGLES)
            drawn.push_back(draw.vertexArray);
    return drawn;
}

// One frame of the game, recorded.
std::vector<Draw> recordFrame(PlayedGame& game, double seconds = 1.0 / 30.0) {
    DrawLog log;
    game.frames(1, seconds);
    return log.draws;
}

// Every program the game has built, with the files it was built from.
struct BuiltProgram {
    const ShaderProgram* program;
    std::string vertexFile, secondFile;
};

std::vector<BuiltProgram> gamePrograms(Game& game) {
    FramePipeline& pipeline = game.pipeline();
    std::vector<BuiltProgram> programs = {
        {game.context().basicProgram, "basic.vert", "basic.frag"},
        {game.gameState().starSphereProgram.get(), "basic.vert", "StarSphere.frag"},
        {game.gameState().spaceCubeProgram.get(), "basic.vert", "SpaceCubeGlowing.frag"},
        {pipeline.motionBlur.program.get(), "fboquad.vert", "fboquad.frag"},
        {pipeline.shadowTexture.program.get(), "shadowTexture.vert", "shadowTexture.frag"},
        {pipeline.shadowMapping.program.get(), "basicShadow.vert", "basicShadow.frag"},
        {pipeline.particles.updateProgram.get(), "particleSystemUpdate.vert",
         "particleSystemUpdate.geo"},
        {pipeline.particles.renderProgram.get(), "particleSystemRender.vert",
         "particleSystemRender.frag"}};
    for (const Framebuffer* buffer : {&pipeline.sceneBuffer, &pipeline.shadowTextureBuffer,
                                      &pipeline.shadowMappingBuffer, &pipeline.motionBlurBuffer})
        programs.push_back({buffer->quadProgram.get(), "fboBasic.vert", "fboBasic.frag"});
    return programs;
}

std::string shaderSource(GLuint shader) {
    GLint length = 0;
    glGetShaderiv(shader, GL_SHADER_SOURCE_LENGTH, &length);
    std::string text(static_cast<size_t>(length), '\0');
    if (length > 0)
        glGetShaderSource(shader, length, nullptr, text.data());
    if (!text.empty())
        text.pop_back(); // the terminating NUL
    return text;
}

} // namespace

// The ship (or cockpit) first, then the star sphere, the named objects in map order and the
// cube last. Culling is off until the star sphere's first draw, so in the very first frame
// the ship alone is drawn with both faces; the star sphere always is, at GL_LEQUAL.
TEST_F(GLTest, TheSceneIsDrawnInItsOrderWithCullingFromTheStarSphereOn) {
    PlayedGame game;
    const SceneManager& scene = *game.game->gameState().scene;
    const GLuint sceneBuffer = game.game->pipeline().sceneBuffer.fbo;
    std::vector<GLuint> expected = {scene.spaceship->vao, scene.starSphere->geometry->vao};
    for (const auto& entry : scene.objects)
        expected.push_back(static_cast<const scene::Geometry*>(entry.second)->vao);
    expected.push_back(scene.spaceCube->vao);

    for (int frame = 1; frame <= 2; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const std::vector<Draw> draws = recordFrame(game);
        ASSERT_EQ(sceneObjects(draws, sceneBuffer), expected);
        const GLuint sky = scene.starSphere->geometry->vao;
        for (const Draw& draw : draws) {
            if (draw.vertexArray == sky) {
                EXPECT_TRUE(!draw.cullFace && draw.depthFunc == GL_LEQUAL);
            } else if (draw.vertexArray == scene.spaceship->vao) {
                EXPECT_EQ(draw.cullFace, frame > 1) << "the ship";
            } else {
                EXPECT_TRUE(draw.cullFace && draw.depthFunc == GL_LESS) << draw.vertexArray;
            }
        }
    }
    // From the cockpit the cockpit model takes the ship's place.
    game.key(GLFW_KEY_9);
    expected.front() = static_cast<const scene::Geometry*>(scene.spaceship->cockpit)->vao;
    EXPECT_EQ(sceneObjects(recordFrame(game), sceneBuffer), expected);
}

// Blending is the main loop's alone: on for every draw of every pass while transparency is
// on, off for every one once F9 has turned it off. (What every pass leaves for the next,
// PlayedGame's probe checks.)
TEST_F(GLTest, BlendingHoldsForEveryPassAsTheLoopSetsIt) {
    PlayedGame game;
    game.frames(1);
    for (bool transparency : {true, false}) {
        const std::vector<Draw> draws = recordFrame(game);
        ASSERT_GT(draws.size(), 20u);
        int blended = 0;
        for (const Draw& draw : draws)
            blended += draw.blend ? 1 : 0;
        EXPECT_EQ(blended, transparency ? static_cast<int>(draws.size()) : 0)
            << "of " << draws.size() << " draws";
        EXPECT_EQ(test::stdoutOf([&] { game.key(GLFW_KEY_F9); }),
                  transparency ? "Transparency: OFF\n" : "Transparency: ON\n");
    }
}

// The blur is drawn with the technique's own program whether the camera stands still or
// turns; standing still it shows the scene as it is, turning it does not.
TEST_F(GLTest, MotionBlurDrawsWithItsOwnProgramStillOrMoving) {
    PlayedGame game;
    FramePipeline& pipeline = game.game->pipeline();
    game.frames(2);
    auto blurPrograms = [&](const std::vector<Draw>& draws) {
        std::vector<GLuint> programs;
        for (const Draw& draw : draws)
            if (draw.framebuffer == pipeline.motionBlurBuffer.fbo)
                programs.push_back(draw.program);
        return programs;
    };
    auto blurredEqualsScene = [&] {
        std::vector<unsigned char> scene(kFrameWidth * kFrameHeight * 4);
        std::vector<unsigned char> blurred(scene.size());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, pipeline.sceneBuffer.fbo);
        glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGBA, GL_UNSIGNED_BYTE, scene.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, pipeline.motionBlurBuffer.fbo);
        glReadPixels(0, 0, kFrameWidth, kFrameHeight, GL_RGBA, GL_UNSIGNED_BYTE, blurred.data());
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        return scene == blurred;
    };
    const std::vector<GLuint> technique = {pipeline.motionBlur.program->handle};
    EXPECT_EQ(blurPrograms(recordFrame(game)), technique) << "still";
    EXPECT_TRUE(blurredEqualsScene());
    game.key(GLFW_KEY_A); // the free camera turns while A is held
    game.frames(1);
    EXPECT_EQ(blurPrograms(recordFrame(game)), technique) << "turning";
    EXPECT_FALSE(blurredEqualsScene());
    game.key(-1);
}

// Every program keeps its two shaders attached, unflagged, holding the text of their files
// exactly as the files hold it.
TEST_F(GLTest, ProgramsKeepTheirShadersWithTheFilesTextAsItStands) {
    PlayedGame game;
    const std::vector<BuiltProgram> programs = gamePrograms(*game.game);
    ASSERT_EQ(programs.size(), 12u);
    for (const BuiltProgram& built : programs) {
        SCOPED_TRACE(built.vertexFile + " + " + built.secondFile);
        GLuint shaders[4] = {};
        GLsizei count = 0;
        glGetAttachedShaders(built.program->handle, 4, &count, shaders);
        ASSERT_EQ(count, 2);
        for (GLuint shader : {shaders[0], shaders[1]}) {
            GLint deleted = GL_TRUE, type = 0;
            glGetShaderiv(shader, GL_DELETE_STATUS, &deleted);
            glGetShaderiv(shader, GL_SHADER_TYPE, &type);
            EXPECT_EQ(deleted, GL_FALSE);
            const std::string& file =
                type == GL_VERTEX_SHADER ? built.vertexFile : built.secondFile;
            EXPECT_EQ(shaderSource(shader), test::readFile("Assets/Shader/" + file)) << file;
        }
    }
    const PostprocessingTechnique& blur = game.game->pipeline().motionBlur;
    EXPECT_TRUE(glIsShader(blur.vertexShader) && glIsShader(blur.fragmentShader));
}

// A model's texture carries its whole mipmap chain, filtered linearly.
TEST_F(GLTest, ModelTexturesHaveTheirMipmaps) {
    PlayedGame game;
    const scene::Geometry& sky = *game.game->gameState().scene->starSphere->geometry;
    glBindTexture(GL_TEXTURE_2D, sky.texture);
    GLint width = 0, height = 0, levelOne = 0, last = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOne);
    int levels = 0;
    while ((std::max(width, height) >> levels) > 1)
        ++levels;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, levels, GL_TEXTURE_WIDTH, &last);
    EXPECT_TRUE(width > 1 && levelOne == width / 2 && last == 1) << width << " " << levelOne;
    EXPECT_TRUE(test::texParameter(GL_TEXTURE_MIN_FILTER) == GL_LINEAR &&
                test::texParameter(GL_TEXTURE_MAG_FILTER) == GL_LINEAR);
    glBindTexture(GL_TEXTURE_2D, 0);
}

namespace {

void* refuseToMap(GLenum, GLintptr, GLsizeiptr, GLbitfield) {
    return nullptr;
}

PFNGLUNMAPBUFFERPROC realUnmap = nullptr;
GLboolean unmapLosesTheData(GLenum target) {
    realUnmap(target);
    return GL_FALSE;
}

} // namespace

// A driver that cannot map the pool's buffer, or loses what was written while it was
// mapped, still gets the whole initial pool: a restart never goes on with a stale one.
TEST_F(GLTest, TheParticlePoolIsWrittenWhenMappingFails) {
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    const std::vector<Particle> expected = initialParticles(glm::vec3(1.0f, 2.0f, 3.0f));
    const PFNGLMAPBUFFERRANGEPROC mapBufferRange = glMapBufferRange;
    realUnmap = glUnmapBuffer;
    for (int failure = 0; failure < 2; ++failure) {
        glBindBuffer(GL_ARRAY_BUFFER, particles.sourceBuffer);
        std::vector<unsigned char> junk(expected.size() * sizeof(Particle), 0xAB);
        glBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(junk.size()), junk.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        if (failure == 0)
            __glewMapBufferRange = refuseToMap;
        else
            __glewUnmapBuffer = unmapLosesTheData;
        EXPECT_TRUE(particles.init(glm::vec3(1.0f, 2.0f, 3.0f)));
        __glewMapBufferRange = mapBufferRange;
        __glewUnmapBuffer = realUnmap;
        std::vector<Particle> pool(expected.size());
        glBindBuffer(GL_ARRAY_BUFFER, particles.sourceBuffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(junk.size()), pool.data());
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        EXPECT_EQ(std::memcmp(pool.data(), expected.data(), junk.size()), 0) << failure;
    }
}
