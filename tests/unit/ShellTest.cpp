// The application shell: key routing between game and menu, the menu's lines, the
// frame-time line and the fatal ending.
#include "app/Game.h"
#include "app/GameContext.h"
#include "gfx/Fatal.h"
#include "states/GameState.h"
#include "states/MenuState.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
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

// The menu answers exactly its five keys; other keys, releases and frames stay silent.
TEST(MenuState, PrintsItsInitLineAndOneLinePerMenuKeyOnly) {
    GameContext context;
    MenuState menu(&context);
    testing::internal::CaptureStdout();
    menu.init();
    for (int key : {GLFW_KEY_UP, -1, GLFW_KEY_RIGHT, GLFW_KEY_A, GLFW_KEY_DOWN, GLFW_KEY_T,
                    GLFW_KEY_LEFT, GLFW_KEY_ESCAPE, GLFW_KEY_ENTER, GLFW_KEY_KP_ENTER, GLFW_KEY_F2})
        menu.handleKey(key);
    menu.update(0.5);
    menu.render();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Init MenuState...\n"
                                                      "MenuState - UP arrow pressed\n"
                                                      "MenuState - RIGHT arrow pressed\n"
                                                      "MenuState - DOWN arrow pressed\n"
                                                      "MenuState - LEFT arrow pressed\n"
                                                      "MenuState - ENTER pressed\n");
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

// Standard input is a pipe here, as in CI: the ending must not wait for Enter.
TEST(FatalEndingDeathTest, ExitsWith255WithoutWaitingWhenStdinIsNoTerminal) {
    EXPECT_EXIT(
        {
            int fds[2];
            if (pipe(fds) != 0)
                std::abort();
            dup2(fds[0], STDIN_FILENO); // a pipe that never delivers anything
            dup2(STDERR_FILENO, STDOUT_FILENO);
            std::cout << "Some failure" << std::endl;
            fatalEnding();
        },
        ::testing::ExitedWithCode(255), "^Some failure\n$");
}
