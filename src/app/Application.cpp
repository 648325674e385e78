#include "app/Application.h"

#include "app/Game.h"
#include "gfx/DebugLabels.h"
#include "gfx/ModelLoader.h"
#include "platform/Gamepad.h"
#include "platform/Window.h"
#include "states/GameState.h"

#include <iostream>

namespace drifthold {

int runGame(GameOptions options) {
    // Problems with the file are one line on stderr each; the game plays on the defaults.
    options.settings = loadSettings(std::cerr);
    // The model files are read on a thread of their own while the window opens.
    ModelLoader models;
    models.prefetch(GameState::modelFiles());
    GLFWwindow* window = openGameWindow();
    loadGLEntryPoints();
    enableGLDebugOutputIfAsked();
    // One frame per refresh, so a fast GPU does not spin through thousands a second.
    glfwSwapInterval(options.command.vsync ? 1 : 0);
    // Pads that GLFW's own database does not know, as the player mapped them.
    loadGamepadMappings(std::cerr);
    {
        Game game(window, &models, options);
        game.run();
        const Settings kept = game.settingsToKeep();
        if (kept != options.settings)
            saveSettings(kept, std::cerr);
    }
    // Every GL object is gone with the game; only now does the context go.
    glfwTerminate();
    return 0;
}

} // namespace drifthold
