#pragma once
#include "states/State.h"

#include <string>

namespace drifthold {

class ShaderProgram;
class SceneManager;
namespace scene {
class Geometry;
}

// The game itself: builds the world at init, steers it from the keys, updates and draws it.
class GameState : public State {
public:
    using State::State;
    ~GameState() override;

    void init() override;
    void handleKey(int key) override;
    void update(double dt) override;
    void render() override;
    virtual void buildScene();

    SceneManager* scene = nullptr;
    ShaderProgram* basicProgram = nullptr;
    ShaderProgram* starSphereProgram = nullptr;
    // Owned here so the world can be torn down as a whole.
    ShaderProgram* spaceCubeProgram = nullptr;
    scene::Geometry* ground = nullptr;
};

// "fvec4(x, y, z, w)" with six decimals each, as the position key prints it.
std::string formatVec4(float x, float y, float z, float w);

} // namespace drifthold
