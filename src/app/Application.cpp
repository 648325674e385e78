#include "app/Application.h"

#include "app/Game.h"
#include "app/Window.h"

namespace drifthold {

int runGame() {
    GLFWwindow* window = openGameWindow();
    loadGLEntryPoints();
    {
        Game game(window);
        game.run();
    }
    // Every GL object is gone with the game; only now does the context go.
    glfwTerminate();
    return 0;
}

} // namespace drifthold
