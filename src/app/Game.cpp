#include "app/Game.h"

#include "app/Screenshot.h"
#include "app/ShellKeys.h"
#include "gfx/ShaderProgram.h"
#include "scene/Camera.h"
#include "states/GameState.h"
#include "states/MenuState.h"

#include <algorithm>
#include <cmath>
#include <iostream>
#include <ostream>
#include <utility>

namespace drifthold {

namespace {

// What this run starts with: the file's settings and the command line on top.
Settings sessionSettings(const GameOptions& options) {
    return settingsForThisRun(options.settings, options.command);
}

} // namespace

Game::Game(GLFWwindow* gameWindow, ModelLoader* models, GameOptions gameOptions)
    : window(gameWindow), options(std::move(gameOptions)),
      audio(sessionSettings(options).mute,
            static_cast<float>(sessionSettings(options).volume) / 100.0f),
      fullscreen(gameWindow), pad(options.padSource) {
    // The window opens at the frame's size; the player's own size and mode come first.
    const Settings session = sessionSettings(options);
    if (session.windowWidth != kFrameWidth || session.windowHeight != kFrameHeight)
        glfwSetWindowSize(window, session.windowWidth, session.windowHeight);
    if (session.fullscreen)
        fullscreen.enter();

    glfwSetWindowUserPointer(window, this);
    basicProgram = initContext(window, gameContext);
    gameContext.events = &sounds;

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
    pad.listen();
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
        if (glfwGetKey(window, GLFW_KEY_ESCAPE) == GLFW_PRESS || padQuit)
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
    // The pad's controls go the keyboard's way, as presses and releases of the game's keys.
    const PadEvents& padEvents = pad.poll(currentState == menuState.get());
    for (const PadKey& event : padEvents)
        routeKey(currentState, gameState.get(), menuState.get(), event.key, event.action);
    padQuit = padEvents.quit;
    pipeline->renderFrame(frameTime);
    sounds.frame(scene::playerView(gameContext.spaceship, gameContext.activeCamera).view,
                 gameContext.spaceship, currentState == gameState.get(), frameTime);
    if (screenshotWanted) {
        screenshotWanted = false;
        std::cerr << takeScreenshot(window) << std::endl;
    }
}

void Game::shellKey(int key, int action, int mods) {
    switch (shellKeyFor(key, action, mods)) {
    case ShellKey::ToggleFullscreen:
        fullscreen.toggle();
        break;
    case ShellKey::Screenshot:
        screenshotWanted = true;
        break;
    case ShellKey::VolumeDown:
    case ShellKey::VolumeUp: {
        const int step = shellKeyFor(key, action, mods) == ShellKey::VolumeUp ? 1 : -1;
        const int percent = static_cast<int>(std::lround(audio.volume() * 100.0f)) + step * 10;
        audio.setVolume(static_cast<float>(std::clamp(percent, 0, 100)) / 100.0f);
        break;
    }
    case ShellKey::ToggleMute:
        audio.setMuted(!audio.muted());
        break;
    case ShellKey::None:
        break;
    }
}

Settings Game::settingsToKeep() const {
    Settings kept = options.settings;
    // Full screen is kept as the player left it only if the player switched it: a run
    // started with --fullscreen or --windowed leaves the file's choice alone.
    const bool startedFullscreen = sessionSettings(options).fullscreen;
    if (fullscreen.active() != startedFullscreen)
        kept.fullscreen = fullscreen.active();
    fullscreen.windowedSize(kept.windowWidth, kept.windowHeight);
    kept.volume = static_cast<int>(std::lround(audio.volume() * 100.0f));
    // Mute likewise, since --mute is for one run.
    if (audio.muted() != sessionSettings(options).mute)
        kept.mute = audio.muted();
    return kept;
}

void writeFrameTimeLine(std::ostream& out, double frameTimeSeconds) {
    out << "frametime: " << frameTimeSeconds * 1000.0 << "ms" << std::endl;
}

} // namespace drifthold
