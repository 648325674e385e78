#include "app/Game.h"

#include "gfx/FrameState.h"
#include "gfx/ShaderProgram.h"
#include "platform/Screenshot.h"
#include "scene/PlayerView.h"
#include "states/GameState.h"
#include "states/MenuState.h"

#include <iostream>
#include <ostream>
#include <utility>

namespace drifthold {

Game::Game(GLFWwindow* gameWindow, ModelLoader* models, GameOptions gameOptions)
    : window_(gameWindow), options_(std::move(gameOptions)),
      settings_(options_.settings, options_.command),
      audio_(settings_.thisRun().mute, volumeGain(settings_.thisRun().volume)),
      fullscreen_(gameWindow), shellKeys_(audio_, [this] { fullscreen_.toggle(); }),
      pad_(options_.padSource) {
    // The window opens at the frame's size; the player's own size and mode come first.
    const Settings& session = settings_.thisRun();
    if (session.windowWidth != kFrameWidth || session.windowHeight != kFrameHeight)
        glfwSetWindowSize(window_, session.windowWidth, session.windowHeight);
    if (session.fullscreen)
        fullscreen_.enter();

    basicProgram_ = initContext(window_, gameContext_);
    gameContext_.events = &sounds_;

    const GLfloat* grey = frameState::kClearColour;
    glClearColor(grey[0], grey[1], grey[2], grey[3]);
    glEnable(GL_DEPTH_TEST);

    gameState_ = std::make_unique<GameState>(&gameContext_, models);
    gameState_->init();
    menuState_ = std::make_unique<MenuState>(&gameContext_);
    menuState_->init();
    currentState_ = gameState_.get();
    currentState_->activate();

    // The basic program is still the current one: nothing since initContext used another.
    light_.upload(*basicProgram_);

    pipeline_ = std::make_unique<FramePipeline>(gameContext_);
    if (options_.makeProbe) {
        probe_ = options_.makeProbe();
        pipeline_->setProbe(probe_.get());
    }
    int width = 0, height = 0;
    glfwGetFramebufferSize(window_, &width, &height);
    pipeline_->setRenderSize(session.render);
    pipeline_->resizeWindow(width, height);
    deliverWindowEvents(window_, this);
    pad_.listen();
}

Game::~Game() {
    deliverWindowEvents(window_, nullptr);
    // A program still in use would only be flagged for deletion and outlive its owner.
    glUseProgram(0);
}

void Game::run() {
    double lastTime = 0.0;
    while (!glfwWindowShouldClose(window_)) {
        const double now = glfwGetTime();
        const double frameTime = now - lastTime;
        lastTime = now;
        frame(frameTime);
        glfwSwapBuffers(window_);
        if (options_.frameTimesWithoutKey)
            gameContext_.showFrameTime = true;
        if (glfwGetKey(window_, GLFW_KEY_ESCAPE) == GLFW_PRESS || padQuit_)
            break;
    }
}

void Game::frame(double frameTime) {
    if (gameContext_.showFrameTime)
        writeFrameTimeLine(std::cout, frameTime);
    if (gameContext_.transparency) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    } else {
        glDisable(GL_BLEND);
    }
    glfwPollEvents();
    padQuit_ = pad_.poll(currentState_, gameState_.get(), menuState_.get());
    pipeline_->renderFrame(*currentState_, frameTime);
    sounds_.frame(scene::playerView(gameContext_.spaceship, gameContext_.activeCamera).view,
                  gameContext_.spaceship, currentState_ == gameState_.get(), frameTime);
    if (shellKeys_.takeScreenshotRequest())
        std::cerr << takeScreenshot(window_) << std::endl;
}

void Game::keyEvent(int key, int action, int mods) {
    // The shell's own keys act first and silently; every key then goes its usual way.
    shellKeys_.handle(key, action, mods);
    routeKey(currentState_, gameState_.get(), menuState_.get(), key, action);
}

void Game::framebufferResized(int width, int height) {
    pipeline_->resizeWindow(width, height);
}

Settings Game::settingsToKeep() const {
    Settings atEnd = settings_.thisRun();
    atEnd.fullscreen = fullscreen_.active();
    fullscreen_.windowedSize(atEnd.windowWidth, atEnd.windowHeight);
    atEnd.volume = volumePercent(audio_.volume());
    atEnd.mute = audio_.muted();
    return settings_.toKeep(atEnd);
}

void writeFrameTimeLine(std::ostream& out, double frameTimeSeconds) {
    out << "frametime: " << frameTimeSeconds * 1000.0 << "ms" << std::endl;
}

} // namespace drifthold
