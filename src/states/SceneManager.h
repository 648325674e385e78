#pragma once
#include "states/GameEvents.h"

#include <glm/glm.hpp>

#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace drifthold {

namespace scene {
class Camera;
class Geometry;
class SceneObject;
class Spaceship;
class StarSphere;
} // namespace scene

// The game's world and its rules of play. It owns everything in the world; the named map
// and the other pointers only say what plays which part.
class SceneManager {
public:
    using ObjectMap = std::map<std::string, scene::SceneObject*>;

    SceneManager();
    ~SceneManager();
    SceneManager(const SceneManager&) = delete;
    SceneManager& operator=(const SceneManager&) = delete;

    // Keeps `object` alive as long as the world, named or not, collected or not.
    template <class T> T* own(std::unique_ptr<T> object) {
        T* raw = object.get();
        owned.push_back(std::move(object));
        return raw;
    }

    // Keeps an existing entry of that name, but names the object either way.
    void add(scene::SceneObject* object, std::string name);
    // Erases the entry; returns the iterator to the entry after it.
    ObjectMap::iterator remove(const std::string& name);

    // Camera, cube, ship, cockpit pose, then collisions in map order, then the trail test.
    void update(double dt);
    void render();

    scene::Geometry* spaceCube = nullptr;
    std::vector<std::unique_ptr<scene::Camera>> cameras;
    scene::Camera* activeCamera = nullptr;
    std::unique_ptr<scene::StarSphere> starSphere;
    scene::Spaceship* spaceship = nullptr;
    ObjectMap objects;
    // Told of every collection and crash (null: nobody listens). Not owned.
    GameEvents* events = nullptr;

private:
    // Collected junk stays here until the world goes, though nothing draws it any more.
    std::vector<std::unique_ptr<scene::SceneObject>> owned;
};

} // namespace drifthold
