// Key routing between the game and the menu, and the menu's console lines.
#include "app/GameContext.h"
#include "states/GameState.h"
#include "states/MenuState.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace drifthold;

namespace {

std::vector<std::string> journal;

class RecordingState : public State {
public:
    RecordingState(const char* tag) : State(&gameContext), tag(tag) {}
    void activate() override { journal.push_back(std::string(tag) + ".activate"); }
    void handleKey(int key) override {
        journal.push_back(std::string(tag) + ".key " + std::to_string(key));
    }
    const char* tag;
};

// The globals are typed for the real states; the routing only needs the State interface.
class KeyRouting : public ::testing::Test {
protected:
    void SetUp() override {
        journal.clear();
        gameState = reinterpret_cast<GameState*>(&game);
        menuState = reinterpret_cast<MenuState*>(&menu);
        currentState = &game;
    }
    void TearDown() override {
        gameState = nullptr;
        menuState = nullptr;
        currentState = nullptr;
    }
    void press(int key) { keyCallback(nullptr, key, 0, GLFW_PRESS, 0); }
    void release(int key) { keyCallback(nullptr, key, 0, GLFW_RELEASE, 0); }
    void repeat(int key) { keyCallback(nullptr, key, 0, GLFW_REPEAT, 0); }

    RecordingState game{"game"};
    RecordingState menu{"menu"};
};

} // namespace

TEST_F(KeyRouting, PressesGoToTheCurrentStateAndReleasesArriveAsMinusOne) {
    press(GLFW_KEY_A);
    release(GLFW_KEY_A);
    repeat(GLFW_KEY_A);
    EXPECT_EQ(journal, (std::vector<std::string>{"game.key 65", "game.key -1"}));
}

TEST_F(KeyRouting, MAndPSwitchStatesActivateAndAreNotForwarded) {
    press(GLFW_KEY_M);
    EXPECT_EQ(currentState, &menu);
    release(GLFW_KEY_M); // the release reaches the menu
    press(GLFW_KEY_M);   // again: same state, activate again
    press(GLFW_KEY_P);
    release(GLFW_KEY_P);
    EXPECT_EQ(currentState, &game);
    EXPECT_EQ(journal, (std::vector<std::string>{"menu.activate", "menu.key -1", "menu.activate",
                                                 "game.activate", "game.key -1"}));
}

TEST_F(KeyRouting, RepeatsOfSwitchKeysDoNothingAndEscapeIsForwarded) {
    repeat(GLFW_KEY_M);
    repeat(GLFW_KEY_P);
    EXPECT_EQ(currentState, &game);
    press(GLFW_KEY_ESCAPE);
    EXPECT_EQ(journal, (std::vector<std::string>{"game.key 256"}));
}

TEST(MenuState, WritesInitLineAndTheFiveKeyLines) {
    GameContext context;
    MenuState menu(&context);
    testing::internal::CaptureStdout();
    menu.init();
    for (int key : {GLFW_KEY_UP, GLFW_KEY_RIGHT, GLFW_KEY_DOWN, GLFW_KEY_LEFT, GLFW_KEY_ENTER})
        menu.handleKey(key);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Init MenuState...\n"
                                                      "MenuState - UP arrow pressed\n"
                                                      "MenuState - RIGHT arrow pressed\n"
                                                      "MenuState - DOWN arrow pressed\n"
                                                      "MenuState - LEFT arrow pressed\n"
                                                      "MenuState - ENTER pressed\n");
}

TEST(MenuState, IgnoresOtherKeysAndReleases) {
    GameContext context;
    MenuState menu(&context);
    testing::internal::CaptureStdout();
    for (int key : {-1, GLFW_KEY_A, GLFW_KEY_T, GLFW_KEY_ESCAPE, GLFW_KEY_KP_ENTER, GLFW_KEY_F2})
        menu.handleKey(key);
    menu.update(0.5);
    menu.render();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}
