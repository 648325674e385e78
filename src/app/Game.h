#pragma once
#include "app/FramePipeline.h"
#include "app/GameSounds.h"
#include "app/Input.h"
#include "app/PadControls.h"
#include "app/ShellKeys.h"
#include "gfx/PassProbe.h"
#include "platform/CommandLine.h"
#include "platform/Display.h"
#include "platform/Settings.h"
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
    // The settings file's settings as the game found them (the defaults without one).
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

// The whole game, composed: the shared context with its basic program, both states, the
// light and the frame pipeline, with the shell around them (sound, full screen, the shell's
// keys, the pad). Built in start-up order on a window whose context is current, and
// destroyed in reverse while that context still exists, so every GL object is released by
// the one that made it. The window's callbacks reach it through WindowEvents.
class Game : private WindowEvents {
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

    // The settings to keep: what the player changed in this run (full screen, the window's
    // size, volume, mute) on top of the file's, never what the command line asked for.
    Settings settingsToKeep() const;

    // For the tests and the benchmark, which look inside.
    GameContext& context() { return gameContext_; }
    GameState& gameState() { return *gameState_; }
    MenuState& menuState() { return *menuState_; }
    State* currentState() const { return currentState_; }
    FramePipeline& pipeline() { return *pipeline_; }
    ShellKeys& shellKeys() { return shellKeys_; }

private:
    void keyEvent(int key, int action, int mods) override;
    void framebufferResized(int width, int height) override;

    GLFWwindow* const window_;
    const GameOptions options_;
    const SettingsSession settings_;
    // Made first and gone last: the states tell the sounds what happens in play.
    Audio audio_;
    GameSounds sounds_{audio_};
    GameContext gameContext_;
    std::unique_ptr<ShaderProgram> basicProgram_;
    std::unique_ptr<GameState> gameState_;
    std::unique_ptr<MenuState> menuState_;
    State* currentState_ = nullptr;
    scene::Light light_;
    std::unique_ptr<FramePipeline> pipeline_;
    std::unique_ptr<PassProbe> probe_;

    // Around the game: the window's mode, the shell's keys, the pad.
    Fullscreen fullscreen_;
    ShellKeys shellKeys_;
    PadControls pad_;
    bool padQuit_ = false;
};

// The frame-time line, e.g. "frametime: 16.5ms", with its line end.
void writeFrameTimeLine(std::ostream& out, double frameTimeSeconds);

} // namespace drifthold
