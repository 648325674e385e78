#pragma once
#include "app/FramePipeline.h"
#include "app/Input.h"
#include "app/PassProbe.h"
#include "scene/Light.h"
#include "states/GameContext.h"

#include <GLFW/glfw3.h>

#include <functional>
#include <iosfwd>
#include <memory>

namespace drifthold {

class GameState;
class MenuState;
class ModelLoader;
class ShaderProgram;
class State;

// How a run differs from a plain start; the defaults are the game as players get it.
struct GameOptions {
    // The benchmark's: frame-time lines from the second frame on without F2, so start-up
    // is timed to the first frame shown.
    bool frameTimesWithoutKey = false;
    // Makes a probe of the frame's passes once the context exists (the benchmark's GPU
    // timers); the game owns it and releases it before the context goes.
    std::function<std::unique_ptr<PassProbe>()> makeProbe;
};

// The whole game in one owner: the shared context with its basic program, both states,
// the light and the frame pipeline. Built in start-up order on a window whose context is
// current, and destroyed in reverse while that context still exists, so every GL object
// is released by the one that made it.
class Game {
public:
    // `models` may already be reading the game's model files (GameState::modelFiles).
    explicit Game(GLFWwindow* window, ModelLoader* models = nullptr,
                  GameOptions options = GameOptions());
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // Frames until the window is asked to close or Escape is down.
    void run();
    // One frame of the loop once its frame time is known: the frame-time line, blending,
    // events and the passes. The window's back buffer then holds the frame; the caller
    // swaps.
    void frame(double frameTime);

    GLFWwindow* const window;
    const GameOptions options;
    GameContext gameContext;
    std::unique_ptr<ShaderProgram> basicProgram;
    std::unique_ptr<GameState> gameState;
    std::unique_ptr<MenuState> menuState;
    State* currentState = nullptr;
    scene::Light light;
    std::unique_ptr<FramePipeline> pipeline;
    std::unique_ptr<PassProbe> probe;
};

// The frame-time line, e.g. "frametime: 16.5ms", with its line end.
void writeFrameTimeLine(std::ostream& out, double frameTimeSeconds);

} // namespace drifthold
