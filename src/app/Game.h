#pragma once
#include "app/CommandLine.h"
#include "app/Display.h"
#include "app/FramePipeline.h"
#include "app/GameSounds.h"
#include "app/Gamepad.h"
#include "app/Input.h"
#include "app/PassProbe.h"
#include "app/Settings.h"
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
    // What the command line asked of this run.
    Options command;
    // The settings file's settings as the game found them (the defaults without one). The
    // command line goes on top for this run; what the player changes goes on top to keep.
    Settings settings;
    // The benchmark's: frame-time lines from the second frame on without F2, so start-up
    // is timed to the first frame shown.
    bool frameTimesWithoutKey = false;
    // Makes a probe of the frame's passes once the context exists (the benchmark's GPU
    // timers); the game owns it and releases it before the context goes.
    std::function<std::unique_ptr<PassProbe>()> makeProbe;
    // Where the pad is read: GLFW's joysticks (a test hands in a pretend pad).
    GamepadSource padSource = glfwGamepadSource();
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

    // Frames until the window is asked to close, or Escape (or the pad's quit chord) is down.
    void run();
    // One frame of the loop once its frame time is known: the frame-time line, blending,
    // events (keys and the pad) and the passes, then a screenshot if one was asked for.
    // The window's back buffer then holds the frame; the caller swaps.
    void frame(double frameTime);

    // A key the shell answers itself: F11 or Alt+Enter (full screen), F12 (screenshot),
    // F6 and F7 (volume down and up), F8 (mute). It writes nothing on stdout, and the key
    // still goes its usual way to the states.
    void shellKey(int key, int action, int mods);

    // The settings to keep: the file's, with what the player changed in this run (full
    // screen, the window's size, volume, mute), never what the command line asked for this
    // run only.
    Settings settingsToKeep() const;

    GLFWwindow* const window;
    const GameOptions options;
    // Made first and gone last: the states tell the sounds what happens in play.
    Audio audio;
    GameSounds sounds{audio};
    GameContext gameContext;
    std::unique_ptr<ShaderProgram> basicProgram;
    std::unique_ptr<GameState> gameState;
    std::unique_ptr<MenuState> menuState;
    State* currentState = nullptr;
    scene::Light light;
    std::unique_ptr<FramePipeline> pipeline;
    std::unique_ptr<PassProbe> probe;

    // Around the game: the window's mode, the pad, the screenshot key.
    Fullscreen fullscreen;
    GamepadInput pad;
    bool screenshotWanted = false;
    bool padQuit = false;
};

// The frame-time line, e.g. "frametime: 16.5ms", with its line end.
void writeFrameTimeLine(std::ostream& out, double frameTimeSeconds);

} // namespace drifthold
