// The frame-time line, path mapping and the fatal ending.
#include "app/Application.h"
#include "app/GameContext.h"
#include "gfx/Fatal.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <unistd.h>

using namespace drifthold;

TEST(FrameTimeLine, UsesDefaultStreamFormatting) {
    EXPECT_EQ(frameTimeLine(0.0165), "frametime: 16.5ms");
    EXPECT_EQ(frameTimeLine(0.016), "frametime: 16ms");
    EXPECT_EQ(frameTimeLine(0.0), "frametime: 0ms");
    EXPECT_EQ(frameTimeLine(1.23456789), "frametime: 1234.57ms");
    EXPECT_EQ(frameTimeLine(12345.678), "frametime: 1.23457e+07ms");
}

TEST(NativePath, MapsBackslashesOnlyWhereFilesAreOpened) {
    EXPECT_EQ(nativePath("Assets\\Shader\\basic.vert"), "Assets/Shader/basic.vert");
    EXPECT_EQ(nativePath("Assets/Models\\x.obj"), "Assets/Models/x.obj");
    EXPECT_EQ(nativePath("plain.obj"), "plain.obj");
}

TEST(GameContext, StartsWithTheDocumentedFlags) {
    GameContext context;
    EXPECT_FALSE(context.wireframe);
    EXPECT_FALSE(context.showFrameTime);
    EXPECT_TRUE(context.transparency);
    EXPECT_EQ(context.basicProgram, nullptr);
    EXPECT_EQ(context.spaceship, nullptr);
    EXPECT_EQ(context.activeCamera, nullptr);
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
