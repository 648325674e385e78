#pragma once
#include "states/State.h"

namespace drifthold {

class ShaderProgram;

// The game itself: builds the world at init, steers it from the keys, updates and draws it.
class GameState : public State {
public:
    using State::State;
    void init() override;
    void handleKey(int key) override;
    void update(double dt) override;
    void render() override;
    virtual void buildScene();

    ShaderProgram* basicProgram = nullptr;
    ShaderProgram* starSphereProgram = nullptr;
};

} // namespace drifthold
