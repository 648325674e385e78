#include "app/Application.h"

#include "app/FramePipeline.h"
#include "app/GameContext.h"
#include "app/Window.h"
#include "gfx/ShaderProgram.h"
#include "scene/Light.h"
#include "states/GameState.h"
#include "states/MenuState.h"

#include <iostream>
#include <sstream>

namespace drifthold {

std::string frameTimeLine(double frameTimeSeconds) {
    std::ostringstream line;
    line << "frametime: " << frameTimeSeconds * 1000.0 << "ms";
    return line.str();
}

int runGame() {
    GLFWwindow* window = openGameWindow();
    double lastTime = 0.0;
    loadGLEntryPoints();
    initContext(window);

    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glEnable(GL_DEPTH_TEST);

    gameState = new GameState(&gameContext);
    gameState->init();
    menuState = new MenuState(&gameContext);
    menuState->init();
    currentState = gameState;
    currentState->activate();

    // Needed only for the upload, and alive for the whole loop anyway.
    const scene::Light light;
    light.upload(gameContext.basicProgram->handle);

    FramePipeline pipeline;
    pipeline.init();

    while (!glfwWindowShouldClose(window)) {
        const double now = glfwGetTime();
        const double frameTime = now - lastTime;
        lastTime = now;
        if (gameContext.showFrameTime)
            std::cout << frameTimeLine(frameTime) << std::endl;
        if (gameContext.transparency) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        } else {
            glDisable(GL_BLEND);
        }
        glfwPollEvents();
        pipeline.renderFrame(frameTime);
        glfwSwapBuffers(window);
        if (glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS)
            break;
    }

    releaseBasicProgramIfRequested();
    pipeline.shutdown();
    glfwTerminate();
    return 0;
}

} // namespace drifthold
