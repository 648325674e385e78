#include "scene/PlayerView.h"

#include "scene/Camera.h"
#include "scene/Spaceship.h"

namespace drifthold::scene {

PlayerView playerView(const Spaceship* ship, Camera* camera) {
    PlayerView seen;
    if (ship != nullptr && ship->cockpitView && ship->cockpit != nullptr) {
        seen.view = cockpitViewMatrix(ship->cockpit->modelMatrix);
        seen.projection = ship->cockpitProjection;
    } else if (camera != nullptr) {
        seen.view = camera->getViewMatrix();
        seen.projection = camera->getProjectionMatrix();
    }
    return seen;
}

} // namespace drifthold::scene
