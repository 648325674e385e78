#include "states/SceneManager.h"

#include "scene/Camera.h"
#include "scene/Collision.h"
#include "scene/Geometry.h"
#include "scene/Spaceship.h"
#include "states/StarSphere.h"

#include <glm/gtc/matrix_transform.hpp>

namespace drifthold {

glm::mat4 cockpitViewMatrix(const glm::mat4& cockpitModel) {
    // The pilot sits at the cockpit's origin and looks along the nose (+x). The view is the
    // inverse of that pose, without the model's scale, so the world keeps its size and the
    // view follows the ship wherever it flies and turns.
    glm::mat4 pose = cockpitModel;
    for (int axis = 0; axis < 3; ++axis)
        pose[axis] = glm::vec4(glm::normalize(glm::vec3(cockpitModel[axis])), 0.0f);
    return glm::rotate(glm::mat4(1.0f), glm::radians(90.0f), glm::vec3(0.0f, 1.0f, 0.0f)) *
           glm::inverse(pose);
}

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
            it = remove(name);
            spaceship->collected += 1.0f;
        } else if (hit) {
            spaceship->reset();
            break;
        } else {
            object->update(dt);
            ++it;
        }
    }

    if (spaceship->hitsOwnTrail(static_cast<float>(dt)))
        spaceship->reset();
}

void SceneManager::render() {
    glm::mat4 view;
    glm::mat4 projection;
    if (spaceship->cockpitView) {
        view = cockpitViewMatrix(spaceship->cockpit->modelMatrix);
        projection = spaceship->cockpitProjection;
        spaceship->cockpit->draw(view, projection);
    } else {
        view = activeCamera->getViewMatrix();
        projection = activeCamera->getProjectionMatrix();
        spaceship->draw(view, projection);
    }
    starSphere->render(view, projection);
    for (auto& entry : objects)
        entry.second->draw(view, projection);
    // The glowing cube blends over everything inside it, so it comes last.
    spaceCube->draw(view, projection);
}

} // namespace drifthold
