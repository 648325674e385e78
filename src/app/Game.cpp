#include "app/Game.h"

#include "gfx/ShaderProgram.h"
#include "states/GameState.h"
#include "states/MenuState.h"

#include <iostream>
#include <ostream>
#include <utility>

namespace drifthold {

Game::Game(GLFWwindow* gameWindow, ModelLoader* models, GameOptions gameOptions)
    : window(gameWindow), options(std::move(gameOptions)) {
    glfwSetWindowUserPointer(window, this);
    basicProgram = initContext(window, gameContext);

    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glEnable(GL_DEPTH_TEST);

    gameState = std::make_unique<GameState>(&gameContext, models);
    gameState->init();
    menuState = std::make_unique<MenuState>(&gameContext);
    menuState->init();
    currentState = gameState.get();
    currentState->activate();

    // The basic program is still the current one: nothing since initContext used another.
    light.upload(*basicProgram);

    pipeline = std::make_unique<FramePipeline>(gameContext, currentState);
    if (options.makeProbe) {
        probe = options.makeProbe();
        pipeline->setProbe(probe.get());
    }
    int width = 0, height = 0;
    glfwGetFramebufferSize(window, &width, &height);
    pipeline->resizeWindow(width, height);
    glfwSetFramebufferSizeCallback(window, [](GLFWwindow* resized, int newWidth, int newHeight) {
        if (auto* game = static_cast<Game*>(glfwGetWindowUserPointer(resized)))
            game->pipeline->resizeWindow(newWidth, newHeight);
    });
}

Game::~Game() {
    glfwSetKeyCallback(window, nullptr);
    glfwSetWindowCloseCallback(window, nullptr);
    glfwSetFramebufferSizeCallback(window, nullptr);
    glfwSetWindowUserPointer(window, nullptr);
    // A program still in use would only be flagged for deletion and outlive its owner.
    glUseProgram(0);
}

void Game::run() {
    double lastTime = 0.0;
    while (!glfwWindowShouldClose(window)) {
        const double now = glfwGetTime();
        const double frameTime = now - lastTime;
        lastTime = now;
        frame(frameTime);
        glfwSwapBuffers(window);
        if (options.frameTimesWithoutKey)
            gameContext.showFrameTime = true;
        if (glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS)
            break;
    }
}

void Game::frame(double frameTime) {
    if (gameContext.showFrameTime)
        writeFrameTimeLine(std::cout, frameTime);
    if (gameContext.transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    glfwPollEvents();
    pipeline->renderFrame(frameTime);
}

void writeFrameTimeLine(std::ostream& out, double frameTimeSeconds) {
    out << "frametime: " << frameTimeSeconds * 1000.0 << "ms" << std::endl;
}

} // namespace drifthold
