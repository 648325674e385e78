// The whole game built on the test window, played through ship resets and torn down:
// every GL object it made must be gone again. `make soak` runs it with a hundred resets
// (DRIFTHOLD_RESETS) and prints the counts.
#include "gl/support/GLTest.h"

#include "app/Game.h"
#include "scene/Spaceship.h"
#include "states/GameState.h"
#include "states/SceneManager.h"

#include <cstdlib>
#include <iostream>

using namespace drifthold;

namespace {

// One reset through the rules of play: a frame at top speed (the particles stop), then one
// that ends in a meteor or, every other round, in the ship's own trail.
void crash(Game& game, int round) {
    scene::Spaceship* ship = game.gameState->scene->spaceship;
    game.gameState->handleKey(GLFW_KEY_4);
    game.frame(0.016);
    ASSERT_FALSE(ship->atRest || game.pipeline->particles.active);
    if (round % 2 == 0)
        ship->modelMatrix[3] = game.gameState->scene->objects.at("meteor1")->placementMatrix[3];
    else
        ship->trail.assign(8,
                           {glm::vec3(ship->modelMatrix * ship->tailPoint), 0.2f, 0.0f, 2000.0f});
    game.frame(0.016);
    ASSERT_TRUE(ship->atRest && game.pipeline->particles.active) << "round " << round;
}

} // namespace

TEST(GameLifetime, ResetsKeepAndTeardownReturnsEveryGLObject) {
    const test::LiveObjects empty = test::liveObjects();
    testing::internal::CaptureStdout();
    auto game = std::make_unique<Game>(test::testWindow());
    testing::internal::GetCapturedStdout();
    const test::LiveObjects built = test::liveObjects();
    EXPECT_GT(built.programs, empty.programs + 10);
    EXPECT_EQ(built.framebuffers, empty.framebuffers + 4);

    // The first rounds make what is made once (the particle programs and buffers).
    crash(*game, 0);
    crash(*game, 1);
    const char* resets = std::getenv("DRIFTHOLD_RESETS");
    const int rounds = resets != nullptr ? std::atoi(resets) : 4;
    const test::LiveObjects before = test::liveObjects();
    for (int round = 0; round < rounds && !HasFatalFailure(); ++round)
        crash(*game, round);
    const test::LiveObjects after = test::liveObjects();
    std::cout << "GL objects before " << rounds << " resets: " << before << "\n"
              << "GL objects after " << rounds << " resets:  " << after << std::endl;
    EXPECT_EQ(after, before);

    game.reset();
    EXPECT_EQ(test::liveObjects(), empty) << "left behind by the game";
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
