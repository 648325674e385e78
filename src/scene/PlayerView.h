#pragma once
#include <glm/glm.hpp>

namespace drifthold::scene {

class Camera;
class Spaceship;

// What the player sees through: the cockpit while the ship's cockpit view is on, else the
// camera (identity matrices when there is neither, before the game has built its world).
struct PlayerView {
    glm::mat4 view{1.0f};
    glm::mat4 projection{1.0f};
};
PlayerView playerView(const Spaceship* ship, Camera* camera);

} // namespace drifthold::scene
