// What a frame does to GL, recorded draw by draw: the order of the scene's objects and the
// culling, blending and polygon mode each draw is made with; and the GL objects the game
// keeps (its shaders' text, mipmaps, the particle pool).
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
#include <string>
#include <vector>

using namespace drifthold;
using test::Draw;
using test::DrawLog;
using test::GLTest;
using test::PlayedGame;

namespace {

// One frame of the game, recorded.
std::vector<Draw> recordFrame(PlayedGame& game) {
    DrawLog log;
    game.frames(1);
    return log.draws;
}

} // namespace

// The ship (or cockpit) first, then the star sphere, the named objects in map order and the
// cube last. Culling is off until the star sphere's first draw, so in the very first frame
// the ship alone is drawn with both faces; the star sphere always is, at GL_LEQUAL. Blending
// is the main loop's alone: on for every draw of every pass while transparency is on, off
// once F9 has turned it off; wireframe (F3) covers the scene's objects and nothing else.
TEST_F(GLTest, TheSceneIsDrawnInItsOrderWithCullingFromTheStarSphereOn) {
    PlayedGame game;
    const SceneManager& scene = *game.game->gameState().scene;
    const GLuint sceneBuffer = game.game->pipeline().sceneBuffer.fbo;
    const auto isObject = [&](const Draw& draw) {
        return draw.framebuffer == sceneBuffer && draw.mode == GL_TRIANGLES;
    };
    const auto objects = [&](const std::vector<Draw>& draws) {
        std::vector<GLuint> drawn;
        for (const Draw& draw : draws)
            if (isObject(draw))
                drawn.push_back(draw.vertexArray);
        return drawn;
    };
    std::vector<GLuint> expected = {scene.spaceship->vao, scene.starSphere->geometry->vao};
    for (const auto& entry : scene.objects)
        expected.push_back(static_cast<const scene::Geometry*>(entry.second)->vao);
    expected.push_back(scene.spaceCube->vao);

    for (int frame = 1; frame <= 2; ++frame) {
        SCOPED_TRACE("frame " + std::to_string(frame));
        const std::vector<Draw> draws = recordFrame(game);
        ASSERT_EQ(objects(draws), expected);
        const GLuint sky = scene.starSphere->geometry->vao;
        for (const Draw& draw : draws) {
            EXPECT_TRUE(draw.blend && draw.polygonMode == GL_FILL);
            if (draw.vertexArray == sky)
                EXPECT_TRUE(!draw.cullFace && draw.depthFunc == GL_LEQUAL);
            else if (draw.vertexArray == scene.spaceship->vao)
                EXPECT_EQ(draw.cullFace, frame > 1) << "the ship";
            else
                EXPECT_TRUE(draw.cullFace && draw.depthFunc == GL_LESS) << draw.vertexArray;
        }
    }
    // From the cockpit the cockpit model takes the ship's place.
    game.key(GLFW_KEY_9);
    expected.front() = static_cast<const scene::Geometry*>(scene.spaceship->cockpit)->vao;
    EXPECT_EQ(objects(recordFrame(game)), expected);

    EXPECT_EQ(test::stdoutOf([&] {
                  game.key(GLFW_KEY_F3);
                  game.key(GLFW_KEY_F9);
              }),
              "Wireframe mode: ON\nTransparency: OFF\n");
    const std::vector<Draw> draws = recordFrame(game);
    ASSERT_GT(draws.size(), 20u);
    for (const Draw& draw : draws)
        EXPECT_TRUE(!draw.blend && draw.polygonMode == (isObject(draw) ? GL_LINE : GL_FILL));
}

// A program keeps its two shaders attached (that they stay alive, the teardown test
// counts), holding the text of their files exactly as the files hold it; a model's texture carries
// its whole mipmap chain, filtered linearly.
TEST_F(GLTest, ProgramsKeepTheirShadersTextAndTexturesTheirMipmaps) {
    PlayedGame game;
    GLuint shaders[4] = {};
    GLsizei count = 0;
    glGetAttachedShaders(game.game->context().basicProgram->handle, 4, &count, shaders);
    ASSERT_EQ(count, 2);
    for (GLuint shader : {shaders[0], shaders[1]}) {
        GLint type = 0, length = 0;
        glGetShaderiv(shader, GL_SHADER_TYPE, &type);
        glGetShaderiv(shader, GL_SHADER_SOURCE_LENGTH, &length);
        std::string text(static_cast<size_t>(length), '\0');
        glGetShaderSource(shader, length, nullptr, text.data());
        text.resize(text.empty() ? 0 : text.size() - 1); // the terminating NUL
        const std::string file = type == GL_VERTEX_SHADER ? "basic.vert" : "basic.frag";
        EXPECT_EQ(text, test::readFile("Assets/Shader/" + file)) << file;
    }
    glBindTexture(GL_TEXTURE_2D, game.game->gameState().scene->starSphere->geometry->texture);
    GLint width = 0, levelOne = 0, last = 0, levels = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_WIDTH, &levelOne);
    while ((width >> levels) > 1) // the sky is twice as wide as high
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
