#include "app/Application.h"

#include "app/Game.h"
#include "app/Window.h"
#include "gfx/ModelLoader.h"
#include "states/GameState.h"

namespace drifthold {

int runGame(const GameOptions& options) {
    // The model files are read on a thread of their own while the window opens.
    ModelLoader models;
    models.prefetch(GameState::modelFiles());
    GLFWwindow* window = openGameWindow();
    loadGLEntryPoints();
    {
        Game game(window, &models, options);
        game.run();
    }
    // Every GL object is gone with the game; only now does the context go.
    glfwTerminate();
    return 0;
}

} // namespace drifthold
