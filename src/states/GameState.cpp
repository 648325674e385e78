#include "states/GameState.h"

#include "app/GameContext.h"

#include <iostream>

namespace drifthold {

void GameState::init() {
    std::cout << "Init GameState..." << std::endl;
    basicProgram = context->basicProgram;
    buildScene();
}

void GameState::buildScene() {}

void GameState::handleKey(int key) { (void)key; }

void GameState::update(double dt) { (void)dt; }

void GameState::render() {}

} // namespace drifthold
