// The keys the shell answers itself, and which monitor a window is on, without a window.
#include "app/ShellKeys.h"
#include "audio/Audio.h"
#include "platform/Display.h"
#include "support/Capture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

using namespace drifthold;

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

    // Tenths, clamped at both ends; mute keeps the volume for afterwards.
    press(GLFW_KEY_F7);
    EXPECT_EQ(volumePercent(audio.volume()), 100);
    for (int i = 0; i < 3; ++i)
        press(GLFW_KEY_F6);
    EXPECT_EQ(volumePercent(audio.volume()), 70);
    press(GLFW_KEY_F8);
    EXPECT_TRUE(audio.muted());
    for (int i = 0; i < 12; ++i)
        press(GLFW_KEY_F6);
    EXPECT_EQ(volumePercent(audio.volume()), 0);
    press(GLFW_KEY_F7);
    press(GLFW_KEY_F8);
    EXPECT_TRUE(volumePercent(audio.volume()) == 10 && !audio.muted());
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
