#include "states/MenuState.h"

#include <GLFW/glfw3.h>

#include <iostream>

namespace drifthold {

void MenuState::init() {
    std::cout << "Init MenuState..." << std::endl;
}

void MenuState::handleKey(int key) {
    switch (key) {
    case GLFW_KEY_UP:
        std::cout << "MenuState - UP arrow pressed" << std::endl;
        break;
    case GLFW_KEY_RIGHT:
        std::cout << "MenuState - RIGHT arrow pressed" << std::endl;
        break;
    case GLFW_KEY_DOWN:
        std::cout << "MenuState - DOWN arrow pressed" << std::endl;
        break;
    case GLFW_KEY_LEFT:
        std::cout << "MenuState - LEFT arrow pressed" << std::endl;
        break;
    case GLFW_KEY_ENTER:
        std::cout << "MenuState - ENTER pressed" << std::endl;
        break;
    default:
        break;
    }
}

} // namespace drifthold
