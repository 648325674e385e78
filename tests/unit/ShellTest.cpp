// The application shell without GL: key routing between game and menu, the frame-time
// line, the frame's decisions about the particles and the render size, the keys the shell
// answers itself, and which monitor a window is on. The menu's lines and the fatal ending
// are played for real by the end-to-end tests.
#include "app/FramePipeline.h"
#include "app/Game.h"
#include "app/Input.h"
#include "app/ShellKeys.h"
#include "audio/Audio.h"
#include "gfx/RenderSize.h"
#include "platform/Display.h"
#include "states/GameState.h"
#include "states/MenuState.h"
#include "states/SceneManager.h"
#include "support/Capture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
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
    // (The window's own basis at the sizes the GL tests resize to is played there.)
    const std::tuple<RenderSizeChoice, PixelSize, PixelSize> cases[] = {
        {{Basis::Fixed, 100}, {1920, 1080}, {1024, 768}},
        {{Basis::Fixed, 50}, {0, 0}, {512, 384}},
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

// The shell's keys on OpenAL's silent device: each acts on a press alone, silently, and
// every key the game already has stays the game's.
TEST(ShellKeys, FullScreenScreenshotVolumeAndMuteAnswerTheirKeys) {
    setenv("ALSOFT_DRIVERS", "null", 1);
    std::unique_ptr<Audio> sound; // without sound files, which say so on stderr
    test::captured([&sound] { sound = std::make_unique<Audio>(false, 1.0f, "no-sounds-here"); });
    Audio& audio = *sound;
    int toggles = 0;
    ShellKeys keys(audio, [&toggles] { ++toggles; });
    const auto press = [&keys](int key, int mods = 0) { keys.handle(key, GLFW_PRESS, mods); };

    for (int key : {GLFW_KEY_1, GLFW_KEY_4, GLFW_KEY_9, GLFW_KEY_T, GLFW_KEY_M, GLFW_KEY_A,
                    GLFW_KEY_UP, GLFW_KEY_F2, GLFW_KEY_F3, GLFW_KEY_F9, GLFW_KEY_ESCAPE,
                    GLFW_KEY_ENTER, GLFW_KEY_LEFT_ALT})
        press(key, key == GLFW_KEY_LEFT_ALT ? GLFW_MOD_ALT : GLFW_MOD_CONTROL);
    for (int key : {GLFW_KEY_F11, GLFW_KEY_F12, GLFW_KEY_F6, GLFW_KEY_F8, GLFW_KEY_ENTER})
        for (int action : {GLFW_REPEAT, GLFW_RELEASE})
            keys.handle(key, action, GLFW_MOD_ALT);
    EXPECT_EQ(toggles, 0);
    EXPECT_FALSE(keys.takeScreenshotRequest());
    EXPECT_TRUE(audio.volume() == 1.0f && !audio.muted());

    press(GLFW_KEY_F11, GLFW_MOD_SHIFT);
    press(GLFW_KEY_ENTER, GLFW_MOD_ALT);
    press(GLFW_KEY_KP_ENTER, GLFW_MOD_ALT | GLFW_MOD_NUM_LOCK);
    EXPECT_EQ(toggles, 3);
    press(GLFW_KEY_F12);
    EXPECT_TRUE(keys.takeScreenshotRequest());
    EXPECT_FALSE(keys.takeScreenshotRequest()) << "one screenshot a press";

    // Tenths, down to no lower than 0 (the steps, the top and muting are played end to end).
    for (int i = 0; i < 12; ++i)
        press(GLFW_KEY_F6);
    EXPECT_EQ(volumePercent(audio.volume()), 0);
}

TEST(MonitorHolding, TheMonitorUnderThePointElseThePrimary) {
    // Side by side, the second one taller and above the first's top.
    const MonitorArea areas[] = {{0, 0, 1920, 1080}, {1920, -200, 1280, 1440}};
    EXPECT_EQ(monitorHolding(areas, 2, 1919, 1079), 0);
    EXPECT_EQ(monitorHolding(areas, 2, 1920, 0), 1); // edges belong to the one they start
    EXPECT_EQ(monitorHolding(areas, 2, 2500, -100), 1);
    EXPECT_EQ(monitorHolding(areas, 2, 3199, 1239), 1);
    EXPECT_EQ(monitorHolding(areas, 2, 3200, 500), 0); // right of everything
    EXPECT_EQ(monitorHolding(areas, 2, 100, 1080), 0); // below the first: off every screen
    EXPECT_EQ(monitorHolding(areas, 2, 2000, 1240), 0);
    EXPECT_EQ(monitorHolding(areas, 0, 0, 0), -1);
}
