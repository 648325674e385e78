#include "states/SceneManager.h"

#include "scene/Camera.h"
#include "scene/Collision.h"
#include "scene/Geometry.h"
#include "scene/PlayerView.h"
#include "scene/Spaceship.h"
#include "scene/StarSphere.h"

namespace drifthold {

SceneManager::SceneManager() = default;
SceneManager::~SceneManager() = default;

void SceneManager::add(scene::SceneObject* object, std::string name) {
    objects.emplace(name, object);
    object->name = std::move(name);
}

SceneManager::ObjectMap::iterator SceneManager::remove(const std::string& name) {
    return objects.erase(objects.find(name));
}

void SceneManager::update(double dt) {
    activeCamera->update(dt);
    spaceCube->update(dt);
    spaceship->update(dt);
    spaceship->cockpit->modelMatrix = spaceship->modelMatrix;

    auto it = objects.begin();
    while (it != objects.end()) {
        scene::SceneObject* object = it->second;
        const bool hit = scene::boxesOverlap(spaceship->worldBox(), object->worldBox());
        if (hit && object->value() > 0.0f) {
            const std::string name = it->first;
            const glm::vec3 where(object->placementMatrix[3]);
            it = remove(name);
            spaceship->collected += 1.0f;
            if (events != nullptr)
                events->collected(where);
        } else if (hit) {
            const glm::vec3 where(spaceship->modelMatrix[3]);
            spaceship->reset();
            if (events != nullptr)
                events->crashed(GameEvents::Crash::Meteor, where);
            break;
        } else {
            object->update(dt);
            ++it;
        }
    }

    if (spaceship->hitsOwnTrail(static_cast<float>(dt))) {
        const glm::vec3 where(spaceship->modelMatrix[3]);
        spaceship->reset();
        if (events != nullptr)
            events->crashed(GameEvents::Crash::Trail, where);
    }
}

void SceneManager::render() {
    const auto [view, projection] = scene::playerView(spaceship, activeCamera);
    if (spaceship->cockpitView)
        spaceship->cockpit->draw(view, projection);
    else
        spaceship->draw(view, projection);
    starSphere->render(view, projection);
    for (auto& entry : objects)
        entry.second->draw(view, projection);
    // The glowing cube blends over everything inside it, so it comes last.
    spaceCube->draw(view, projection);
}

} // namespace drifthold
