#include "states/MenuState.h"

#include "states/GameContext.h"
#include "states/GameEvents.h"

#include <GLFW/glfw3.h>

#include <iostream>

namespace drifthold {

void MenuState::init() {
    std::cout << "Init MenuState..." << std::endl;
}

void MenuState::handleKey(int key) {
    const char* line = nullptr;
    switch (key) {
    case GLFW_KEY_UP:
        line = "MenuState - UP arrow pressed";
        break;
    case GLFW_KEY_RIGHT:
        line = "MenuState - RIGHT arrow pressed";
        break;
    case GLFW_KEY_DOWN:
        line = "MenuState - DOWN arrow pressed";
        break;
    case GLFW_KEY_LEFT:
        line = "MenuState - LEFT arrow pressed";
        break;
    case GLFW_KEY_ENTER:
        line = "MenuState - ENTER pressed";
        break;
    default:
        return;
    }
    std::cout << line << std::endl;
    if (context->events != nullptr)
        context->events->menuKey();
}

} // namespace drifthold
