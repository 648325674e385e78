#pragma once
#include <glm/glm.hpp>

#include <map>
#include <string>
#include <vector>

namespace drifthold {

class StarSphere;
namespace scene {
class Camera;
class Geometry;
class SceneObject;
class Spaceship;
} // namespace scene

// The view from the cockpit of a ship whose cockpit has this model matrix.
glm::mat4 cockpitViewMatrix(const glm::mat4& cockpitModel);

// The game's world and its rules of play.
class SceneManager {
public:
    using ObjectMap = std::map<std::string, scene::SceneObject*>;

    // Keeps an existing entry of that name, but names the object either way.
    void add(scene::SceneObject* object, std::string name);
    // Erases the entry; returns the iterator to the entry after it.
    ObjectMap::iterator remove(const std::string& name);

    // Camera, cube, ship, cockpit pose, then collisions in map order, then the trail test.
    void update(double dt);
    void render();

    scene::Geometry* spaceCube = nullptr;
    std::vector<scene::Camera*> cameras;
    scene::Camera* activeCamera = nullptr;
    StarSphere* starSphere = nullptr;
    scene::Spaceship* spaceship = nullptr;
    ObjectMap objects;
    // Collected junk; kept until the world goes, as nothing may draw it any more.
    std::vector<scene::SceneObject*> collectedObjects;
};

} // namespace drifthold
