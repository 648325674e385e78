#pragma once
#include "states/State.h"

#include <glm/glm.hpp>

#include <memory>
#include <string>
#include <vector>

namespace drifthold {

class ModelLoader;
class ShaderProgram;
class SceneManager;
namespace scene {
class Geometry;
}

// The game itself: builds the world at init, steers it from the keys, updates and draws it.
class GameState : public State {
public:
    // `models` may already be reading the model files (see modelFiles); without one the
    // state reads them itself.
    explicit GameState(GameContext* shared, ModelLoader* models = nullptr);
    ~GameState() override;
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    void init() override;
    void handleKey(int key) override;
    void update(double dt) override;
    void render() override;
    virtual void buildScene();

    // The model files the world is built from, in the order they are loaded.
    static const std::vector<std::string>& modelFiles();

    std::unique_ptr<SceneManager> scene;
    ShaderProgram* basicProgram = nullptr; // the context's
    std::unique_ptr<ShaderProgram> starSphereProgram;
    std::unique_ptr<ShaderProgram> spaceCubeProgram;
    // Built with the world but never part of it: not updated, tested or drawn.
    scene::Geometry* ground = nullptr;

private:
    // A quarter turn of the ship about one of its own axes.
    void turn(float degrees, const glm::vec3& axis);

    ModelLoader* models = nullptr;
};

// "fvec4(x, y, z, w)" with six decimals each, as the position key prints it.
std::string formatVec4(float x, float y, float z, float w);

} // namespace drifthold
