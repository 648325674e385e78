// The keys the shell answers itself, and which monitor a window is on, without a window.
#include "app/ShellKeys.h"
#include "app/Display.h"

#include <gtest/gtest.h>

using namespace drifthold;

TEST(ShellKeys, FullScreenScreenshotAndSoundHaveTheirKeys) {
    EXPECT_EQ(shellKeyFor(GLFW_KEY_F11, GLFW_PRESS, 0), ShellKey::ToggleFullscreen);
    EXPECT_EQ(shellKeyFor(GLFW_KEY_F11, GLFW_PRESS, GLFW_MOD_SHIFT), ShellKey::ToggleFullscreen);
    EXPECT_EQ(shellKeyFor(GLFW_KEY_ENTER, GLFW_PRESS, GLFW_MOD_ALT), ShellKey::ToggleFullscreen);
    EXPECT_EQ(shellKeyFor(GLFW_KEY_KP_ENTER, GLFW_PRESS, GLFW_MOD_ALT | GLFW_MOD_NUM_LOCK),
              ShellKey::ToggleFullscreen);
    EXPECT_EQ(shellKeyFor(GLFW_KEY_F12, GLFW_PRESS, 0), ShellKey::Screenshot);
    EXPECT_EQ(shellKeyFor(GLFW_KEY_F6, GLFW_PRESS, 0), ShellKey::VolumeDown);
    EXPECT_EQ(shellKeyFor(GLFW_KEY_F7, GLFW_PRESS, 0), ShellKey::VolumeUp);
    EXPECT_EQ(shellKeyFor(GLFW_KEY_F8, GLFW_PRESS, 0), ShellKey::ToggleMute);
    // Enter without Alt is the menu's; the shell takes presses only, never a repeat or
    // release; every key the game already has stays the game's.
    EXPECT_EQ(shellKeyFor(GLFW_KEY_ENTER, GLFW_PRESS, GLFW_MOD_CONTROL | GLFW_MOD_NUM_LOCK),
              ShellKey::None);
    EXPECT_EQ(shellKeyFor(GLFW_KEY_LEFT_ALT, GLFW_PRESS, GLFW_MOD_ALT), ShellKey::None);
    for (int key :
         {GLFW_KEY_F11, GLFW_KEY_F12, GLFW_KEY_F6, GLFW_KEY_F7, GLFW_KEY_F8, GLFW_KEY_ENTER})
        for (int action : {GLFW_REPEAT, GLFW_RELEASE})
            EXPECT_EQ(shellKeyFor(key, action, GLFW_MOD_ALT), ShellKey::None) << key;
    for (int key : {GLFW_KEY_1, GLFW_KEY_4, GLFW_KEY_7, GLFW_KEY_9, GLFW_KEY_T, GLFW_KEY_M,
                    GLFW_KEY_P, GLFW_KEY_A, GLFW_KEY_J, GLFW_KEY_UP, GLFW_KEY_F2, GLFW_KEY_F3,
                    GLFW_KEY_F9, GLFW_KEY_F10, GLFW_KEY_ESCAPE, GLFW_KEY_ENTER})
        EXPECT_EQ(shellKeyFor(key, GLFW_PRESS, 0), ShellKey::None) << key;
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
