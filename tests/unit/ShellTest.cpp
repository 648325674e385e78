// The application shell: key routing between game and menu, and the frame-time line. The
// menu's lines and the fatal ending are played for real by the end-to-end tests.
#include "app/Game.h"
#include "app/GameContext.h"
#include "states/GameState.h"
#include "states/MenuState.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

using namespace drifthold;

namespace {

std::vector<std::string> journal;
GameContext context;

// Real state types, so the typed globals hold what they say; only what they do is recorded.
template <class Base> class Recording : public Base {
public:
    explicit Recording(const char* name) : Base(&context), tag(name) {}
    void activate() override { journal.push_back(tag + ".activate"); }
    void handleKey(int key) override { journal.push_back(tag + ".key " + std::to_string(key)); }
    std::string tag;
};

} // namespace

// Catches keys reaching the hidden state, M/P being forwarded, lost releases and repeats
// that act as presses.
TEST(KeyRouting, MAndPSwitchStatesAndEverythingElseGoesToTheCurrentOne) {
    Recording<GameState> game("game");
    Recording<MenuState> menu("menu");
    State* currentState = &game;
    journal.clear();
    const std::pair<int, int> events[] = {
        {GLFW_KEY_A, GLFW_PRESS},  {GLFW_KEY_A, GLFW_RELEASE}, {GLFW_KEY_A, GLFW_REPEAT},
        {GLFW_KEY_M, GLFW_REPEAT}, {GLFW_KEY_P, GLFW_REPEAT},  {GLFW_KEY_ESCAPE, GLFW_PRESS},
        {GLFW_KEY_M, GLFW_PRESS},  {GLFW_KEY_M, GLFW_RELEASE}, {GLFW_KEY_M, GLFW_PRESS},
        {GLFW_KEY_P, GLFW_PRESS},  {GLFW_KEY_P, GLFW_RELEASE}};
    for (const auto& [key, action] : events)
        routeKey(currentState, &game, &menu, key, action);
    EXPECT_EQ(currentState, &game);
    EXPECT_EQ(journal, (std::vector<std::string>{"game.key 65", "game.key -1", "game.key 256",
                                                 "menu.activate", "menu.key -1", "menu.activate",
                                                 "game.activate", "game.key -1"}));
}

// Default stream formatting: no fixed decimals, exponent for huge values.
TEST(FrameTimeLine, UsesDefaultStreamFormatting) {
    std::ostringstream lines;
    for (double seconds : {0.0165, 0.016, 0.0, 1.23456789, 12345.678})
        writeFrameTimeLine(lines, seconds);
    EXPECT_EQ(lines.str(), "frametime: 16.5ms\n"
                           "frametime: 16ms\n"
                           "frametime: 0ms\n"
                           "frametime: 1234.57ms\n"
                           "frametime: 1.23457e+07ms\n");
}
