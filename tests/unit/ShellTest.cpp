// The application shell without GL: key routing between game and menu, the frame-time
// line, and the frame's decisions about the particles. The menu's lines and the fatal
// ending are played for real by the end-to-end tests.
#include "app/FramePipeline.h"
#include "app/Game.h"
#include "app/Input.h"
#include "gfx/RenderSize.h"
#include "states/GameState.h"
#include "states/MenuState.h"
#include "states/SceneManager.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <sstream>
#include <string>
#include <tuple>
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

// Frame times in whole milliseconds: truncated, and no negative, NaN or overflowing value
// from an absurd frame time.
TEST(FrameRules, DeltaMillisAndTheParticlesClock) {
    const std::pair<double, int> millis[] = {{0.0166, 16},   {0.0169, 16}, {0.0009, 0},
                                             {2.5, 2500},    {-0.5, 0},    {std::nan(""), 0},
                                             {1e12, INT_MAX}};
    for (const auto& [seconds, expected] : millis)
        EXPECT_EQ(frame::deltaMillis(seconds), expected) << seconds;
    // The particles' clock sums them, and wraps to 0 rather than overflow after 25 days or
    // one clamped frame time.
    EXPECT_EQ(frame::advanceClock(1000, 16), 1016);
    EXPECT_EQ(frame::advanceClock(INT_MAX - 5, 10), 4);
    EXPECT_EQ(frame::advanceClock(INT_MAX, INT_MAX), INT_MAX - 1);
}

// The passes render at 1024x768 or the window's 4:3 area, scaled; a minimised window keeps
// the size there is, and a size beyond the limit is refused, with the largest of its shape.
TEST(RenderSize, FollowsTheChoiceAndTheWindowAndRefusesWhatIsTooLarge) {
    using Basis = RenderSizeChoice::Basis;
    const std::tuple<RenderSizeChoice, PixelSize, PixelSize> cases[] = {
        {{Basis::Fixed, 100}, {1920, 1080}, {1024, 768}},
        {{Basis::Fixed, 50}, {0, 0}, {512, 384}},
        {{Basis::Fixed, 200}, {1024, 768}, {2048, 1536}},
        {{Basis::Window, 100}, {1024, 768}, {1024, 768}},
        {{Basis::Window, 100}, {1920, 1080}, {1440, 1080}},
        {{Basis::Window, 100}, {800, 700}, {800, 600}},
        {{Basis::Window, 25}, {2880, 2160}, {720, 540}},
        {{Basis::Window, 100}, {1, 1}, {1, 1}},
        {{Basis::Window, 100}, {0, 0}, {0, 0}}};
    for (const auto& [choice, window, expected] : cases) {
        const RenderSizing sizing = renderSizeFor(choice, window);
        EXPECT_TRUE(sizing.size == expected && sizing.refused.empty())
            << window.width << "x" << window.height << " gives " << sizing.size.width << "x"
            << sizing.size.height;
    }
    const RenderSizing huge = renderSizeFor({Basis::Window, 100}, {16384, 16384});
    EXPECT_EQ(huge.size, kMaxRenderSize);
    EXPECT_EQ(huge.refused, "drifthold: a render size of 16384x12288 is more than the 4096x3072 "
                            "the game renders at most; rendering at 4096x3072");
    EXPECT_EQ(renderSizeFor({Basis::Window, 200}, {3840, 1200}).size, (PixelSize{3200, 2400}));
}
