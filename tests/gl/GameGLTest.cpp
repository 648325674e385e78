// The game built from its assets and played: where it hears and lights from, its GL objects
// over resets and teardown, the gamepad through GLFW's own joystick functions (there is no pad
// under Xvfb), and the shell's keys in the real loop.
#include "app/Game.h"
#include "app/Input.h"
#include "effects/ParticleSystem.h"
#include "gl/GLTest.h"
#include "platform/Gamepad.h"
#include "scene/Camera.h"
#include "scene/PlayerView.h"
#include "scene/Spaceship.h"
#include "scene/StarSphere.h"
#include "states/GameState.h"
#include "states/SceneManager.h"
#include "support/Capture.h"

#include <AL/al.h>
#include <cmath>
#include <cstdlib>
#include <iostream>

using namespace drifthold;
using test::GLTest;
using test::PlayedGame;
using test::uniform;

namespace {

// The "Material" buffer `object` made covers its program's whole block (std140 rounds the
// block up beyond the 68-byte record).
void expectMaterialBufferCoversBlock(const scene::Geometry& object) {
    const GLuint program = object.shader->handle;
    GLint blockSize = 0, bufferSize = 0;
    glGetActiveUniformBlockiv(program, glGetUniformBlockIndex(program, "Material"),
                              GL_UNIFORM_BLOCK_DATA_SIZE, &blockSize);
    glBindBuffer(GL_UNIFORM_BUFFER, object.materialBuffer);
    glGetBufferParameteriv(GL_UNIFORM_BUFFER, GL_BUFFER_SIZE, &bufferSize);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    EXPECT_GT(blockSize, 68) << "program " << program;
    EXPECT_GE(bufferSize, blockSize) << "program " << program;
}

} // namespace

// The context knows the ship and the free camera; each program with the "Material" block has a
// buffer of the block's whole size. (Where the junk lies, the reference frames show.)
TEST_F(GLTest, TheWorldIsBuiltInTheGamesOrder) {
    PlayedGame played;
    const SceneManager& scene = *played.game->gameState().scene;
    const GameContext& context = played.game->context();
    EXPECT_TRUE(context.spaceship == scene.spaceship &&
                context.activeCamera == scene.cameras[0].get());
    EXPECT_TRUE(!scene.cameras[0]->isFixed() && scene.cameras[1]->isFixed());
    EXPECT_EQ(played.game->currentState(), &played.game->gameState());
    for (const scene::Geometry* object : {static_cast<scene::Geometry*>(scene.spaceship),
                                          scene.starSphere->geometry, scene.spaceCube})
        expectMaterialBufferCoversBlock(*object);
}

// The fixed light looks from (-10, 0, 0) at the origin through a lens of 1 degree squeezed
// 15000 times across, from 4/3 to 45 units away: the origin at the middle of its image, a
// point towards it nearer, a point 0.05 up 57% of the way to the top, one 10 aside 0.76% of
// the way across, and the near and far planes where its depth begins and ends.
TEST_F(GLTest, TheLightSeesThePlayVolumeFromMinusXThroughItsNarrowLens) {
    PlayedGame game;
    game.frames(1);
    const glm::mat4 light =
        uniform<glm::mat4>(game.game->pipeline().shadowTexture.program->handle, "lightVP");
    auto seen = [&](glm::vec3 p) {
        const glm::vec4 clip = light * glm::vec4(p, 1.0f);
        return glm::vec3(clip) / clip.w;
    };
    EXPECT_LT(glm::length(glm::vec2(seen({0, 0, 0}))), 1e-6f);
    EXPECT_LT(seen({-5, 0, 0}).z, seen({0, 0, 0}).z);
    EXPECT_NEAR(seen({0, 0.05f, 0}).y, 0.5729f, 1e-4f);
    EXPECT_NEAR(std::fabs(seen({0, 0, 10}).x), 0.0076392f, 1e-6f);
    EXPECT_NEAR(seen({-10.0f + 4.0f / 3.0f, 0, 0}).z, -1.0f, 1e-4f);
    EXPECT_NEAR(seen({35, 0, 0}).z, 1.0f, 1e-4f);
}

// The sounds are heard from where the player looks: the chase camera, then the cockpit,
// the same frame the view changes. (The suite's sound goes to OpenAL's silent device.)
TEST_F(GLTest, TheListenerStandsWhereThePlayerLooksFrom) {
    PlayedGame played;
    const GameContext& context = played.game->context();
    glm::vec3 eyes[2];
    for (int view = 0; view < 2; ++view) {
        played.key(view == 0 ? GLFW_KEY_4 : GLFW_KEY_9); // top speed, then the cockpit
        played.frames(view == 0 ? 3 : 1);
        ASSERT_EQ(context.spaceship->cockpitView, view == 1);
        const glm::mat4 world =
            glm::inverse(scene::playerView(context.spaceship, context.activeCamera).view);
        ALfloat position[3] = {}, orientation[6] = {};
        alGetListenerfv(AL_POSITION, position);
        alGetListenerfv(AL_ORIENTATION, orientation);
        eyes[view] = glm::vec3(world[3]);
        EXPECT_LT(glm::distance(glm::vec3(position[0], position[1], position[2]), eyes[view]),
                  1e-4f);
        EXPECT_GT(glm::dot(glm::vec3(orientation[0], orientation[1], orientation[2]),
                           glm::normalize(-glm::vec3(world[2]))),
                  0.9999f);
    }
    EXPECT_GT(glm::distance(eyes[0], eyes[1]), 0.1f) << "the two views must stand apart";
}

// The whole game over ship resets, then torn down: every GL object it made must be gone
// again. `make soak` runs it with a hundred resets (DRIFTHOLD_RESETS) and prints the counts.
TEST_F(GLTest, ResetsKeepAndTeardownReturnsEveryGLObject) {
    const test::LiveObjects empty = test::liveObjects();
    auto played = std::make_unique<PlayedGame>();
    Game& game = *played->game;
    const test::LiveObjects playing = test::liveObjects();
    // Every program keeps its two shaders for as long as it lives.
    EXPECT_TRUE(playing.framebuffers == empty.framebuffers + 4 &&
                playing.shaders - empty.shaders == 2 * (playing.programs - empty.programs))
        << playing;
    // One reset through the rules of play: a frame at top speed (the particles stop), then
    // one that ends in a meteor or, every other round, in the ship's own trail.
    auto crash = [&](int round) {
        scene::Spaceship* ship = game.gameState().scene->spaceship;
        game.gameState().handleKey(GLFW_KEY_4);
        game.frame(0.016);
        ASSERT_FALSE(ship->atRest || game.pipeline().particles.active);
        if (round % 2 == 0)
            ship->modelMatrix[3] =
                game.gameState().scene->objects.at("meteor1")->placementMatrix[3];
        else
            ship->trail.assign(
                8, {glm::vec3(ship->modelMatrix * ship->tailPoint), 0.2f, 0.0f, 2000.0f});
        game.frame(0.016);
        ASSERT_TRUE(ship->atRest && game.pipeline().particles.active) << "round " << round;
        Particle first{}; // the pool started over: its first slot is one frame old
        glBindBuffer(GL_ARRAY_BUFFER, game.pipeline().particles.sourceBuffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof(Particle), &first);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        ASSERT_EQ(first.age, 16.0f) << "round " << round;
    };
    crash(0); // the first rounds make what is made once
    crash(1);
    const char* resets = std::getenv("DRIFTHOLD_RESETS");
    const int rounds = resets != nullptr ? std::atoi(resets) : 4;
    const test::LiveObjects before = test::liveObjects();
    for (int round = 0; round < rounds && !HasFatalFailure(); ++round)
        crash(round);
    const test::LiveObjects after = test::liveObjects();
    std::cout << "GL objects before " << rounds << " resets: " << before << "\n"
              << "GL objects after " << rounds << " resets:  " << after << std::endl;
    EXPECT_EQ(after, before);
    played.reset();
    EXPECT_EQ(test::liveObjects(), empty) << "left behind by the game";
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0) << "a program left current would outlive the game";
}

// The real loop with a pad: its Y reaches the game as the 4 key (top speed), and BACK with
// START ends the loop as Escape would. Should the chord do nothing, the pad closes the
// window after 40 reads so the test ends anyway.
TEST_F(GLTest, ThePadDrivesTheGameAndItsChordEndsTheLoop) {
    static int reads = 0;
    static GLFWwindow* playing = nullptr;
    reads = 0;
    playing = test::testWindow();
    const auto onlyZero = [](int jid) { return jid == 0 ? GLFW_TRUE : GLFW_FALSE; };
    GameOptions options;
    options.padSource = {onlyZero, onlyZero, [](int, GLFWgamepadstate* state) {
                             *state = GLFWgamepadstate{};
                             state->axes[GLFW_GAMEPAD_AXIS_LEFT_TRIGGER] = -1.0f;
                             state->axes[GLFW_GAMEPAD_AXIS_RIGHT_TRIGGER] = -1.0f;
                             ++reads;
                             state->buttons[GLFW_GAMEPAD_BUTTON_Y] = reads == 2;
                             state->buttons[GLFW_GAMEPAD_BUTTON_BACK] = reads >= 5;
                             state->buttons[GLFW_GAMEPAD_BUTTON_START] = reads >= 5;
                             if (reads > 40)
                                 glfwSetWindowShouldClose(playing, GLFW_TRUE);
                             return GLFW_TRUE;
                         }};
    std::unique_ptr<Game> game;
    test::stdoutOf([&] { game = std::make_unique<Game>(playing, nullptr, options); });
    test::stdoutOf([&] { game->run(); });
    glfwSetWindowShouldClose(playing, GLFW_FALSE);
    EXPECT_EQ(reads, 5) << "the loop ends in the frame the chord is read";
    EXPECT_EQ(game->context().spaceship->velocity, glm::vec3(0.6f, 0.0f, 0.0f));
    test::stdoutOf([&] { game.reset(); });
}

// The shell's keys act and then still go their usual way: F12 asks for a screenshot and
// reaches the free camera as any other key does, stopping the turn that A started.
TEST_F(GLTest, TheShellsKeysStillReachTheGame) {
    test::PlayedGame played;
    Game& game = *played.game;
    auto press = [&](int key) {
        test::stdoutOf([&] { keyCallback(test::testWindow(), key, 0, GLFW_PRESS, 0); });
    };
    auto view = [&] { return game.context().activeCamera->getViewMatrix(); };
    press(GLFW_KEY_7); // the free camera
    press(GLFW_KEY_A);
    const glm::mat4 before = view();
    played.frames(1);
    ASSERT_NE(view(), before) << "A turns the free camera";
    press(GLFW_KEY_F12);
    EXPECT_TRUE(game.shellKeys().takeScreenshotRequest()); // taken, so no file
    const glm::mat4 stopped = view();
    played.frames(1);
    EXPECT_EQ(view(), stopped) << "F12 stops the turn, as any key the camera does not use";
}
