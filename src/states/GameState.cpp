#include "states/GameState.h"

#include "gfx/ModelLoader.h"
#include "gfx/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"
#include "scene/Meteor.h"
#include "scene/SpaceJunk.h"
#include "scene/Spaceship.h"
#include "scene/StarSphere.h"
#include "states/GameContext.h"
#include "states/GameEvents.h"
#include "states/LayoutRandom.h"
#include "states/SceneManager.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cstdio>
#include <iostream>
#include <utility>
#include <vector>

namespace drifthold {

namespace {

// Keys 1 to 4 give the ship 0, 1, 2 or 3 times this speed: stop, slow, medium, fast.
constexpr float kSpeedStep = 0.2f;

const char* onOff(bool flag) {
    return flag ? "ON" : "OFF";
}

} // namespace

std::string formatVec4(float x, float y, float z, float w) {
    char text[160];
    std::snprintf(text, sizeof text, "fvec4(%f, %f, %f, %f)", x, y, z, w);
    return text;
}

GameState::GameState(GameContext* shared, ModelLoader* loader) : State(shared), models(loader) {}

const std::vector<std::string>& GameState::modelFiles() {
    static const std::vector<std::string> files = {
        "Assets\\Models\\StarSphere\\StarSphere.obj",
        "Assets\\Models\\SpaceCube\\SpaceCube_narrow.obj",
        "Assets\\Models\\spaceship\\spaceshipTextured.obj",
        "Assets\\Models\\spaceship\\cockpit.obj",
        "Assets\\Models\\Meteor\\Meteor.obj",
        "Assets\\Models\\SpaceJunk\\oildrum.obj",
        "Assets\\Models\\SpaceJunk\\slab.obj",
        "Assets\\Models\\SpaceJunk\\satellite.obj",
        "Assets\\Models\\ground.obj"};
    return files;
}

GameState::~GameState() {
    // The context must not keep pointing into a world that is going away.
    if (scene != nullptr) {
        if (context->spaceship == scene->spaceship)
            context->spaceship = nullptr;
        for (const auto& camera : scene->cameras)
            if (context->activeCamera == camera.get())
                context->activeCamera = nullptr;
    }
}

void GameState::init() {
    std::cout << "Init GameState..." << std::endl;
    basicProgram = context->basicProgram;
    buildScene();

    scene->cameras.push_back(std::make_unique<scene::FreeCamera>(
        glm::vec3(90.0f, 0.0f, 10.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f)));
    scene->cameras.push_back(std::make_unique<scene::CameraFixedPos>());
    scene->activeCamera = scene->cameras[0].get();
    context->activeCamera = scene->activeCamera;
}

namespace {

// One record per model file, filled in the order the files are loaded.
struct SceneMeshes {
    MeshData starSphere, spaceCube, spaceship, cockpit;
    MeshData meteors[3];
    MeshData oildrum, slab, satellite, ground;
};

void loadMeshes(ModelLoader& loader, SceneMeshes& meshes) {
    const std::vector<std::string>& files = GameState::modelFiles();
    loader.load(meshes.starSphere, files[0]);
    loader.load(meshes.spaceCube, files[1]);
    loader.load(meshes.spaceship, files[2]);
    loader.load(meshes.cockpit, files[3]);
    for (MeshData& mesh : meshes.meteors)
        loader.load(mesh, files[4]);
    loader.load(meshes.oildrum, files[5]);
    loader.load(meshes.slab, files[6]);
    loader.load(meshes.satellite, files[7]);
    loader.load(meshes.ground, files[8]);
}

// The junk's seeded layout: each piece somewhere in the cube, spinning about the axis that
// points at where it is.
void placeJunk(const std::vector<scene::SpaceJunk*>& junk) {
    LayoutRandom random;
    for (scene::SpaceJunk* piece : junk) {
        piece->modelMatrix = glm::scale(piece->modelMatrix, glm::vec3(0.3f));
        float r[3];
        for (float& component : r)
            component = static_cast<float>(random.next()) / 2730.5833f - 6.0f;
        piece->modelMatrix = glm::translate(piece->modelMatrix, glm::vec3(r[0], r[1], r[2]));
        piece->setRotationAxis(glm::vec3(r[0] / 10.0f, r[1] / 10.0f, r[2] / 10.0f));
        piece->placementMatrix = piece->modelMatrix;
    }
}

void placeMeteors(scene::Meteor* const (&meteors)[3]) {
    const glm::vec3 offsets[3] = {{-5, 5, 3}, {-9, -7, -5}, {6, 8, 7}};
    const glm::vec3 axes[3] = {{0.3f, 0.1f, 0.6f}, {0.4f, 1.0f, 0.2f}, {0.1f, 0.6f, -0.6f}};
    for (int i = 0; i < 3; ++i) {
        meteors[i]->modelMatrix = glm::scale(meteors[i]->modelMatrix, glm::vec3(0.2f));
        meteors[i]->modelMatrix = glm::translate(meteors[i]->modelMatrix, offsets[i]);
        meteors[i]->setRotationAxis(axes[i]);
        meteors[i]->placementMatrix = meteors[i]->modelMatrix;
    }
}

void placeShip(scene::Spaceship& spaceship, scene::Geometry& cockpit) {
    spaceship.modelMatrix = glm::scale(spaceship.modelMatrix, glm::vec3(0.15f));
    spaceship.placementMatrix = spaceship.modelMatrix;
    spaceship.initialMatrix = spaceship.modelMatrix;
    spaceship.laySeedPoint();

    cockpit.modelMatrix = glm::scale(cockpit.modelMatrix, glm::vec3(0.15f));
    spaceship.cockpit = &cockpit;
}

} // namespace

void GameState::buildScene() {
    ModelLoader ownLoader;
    SceneMeshes meshes;
    loadMeshes(models != nullptr ? *models : ownLoader, meshes);

    // The world owns every object from the moment it exists.
    auto world = std::make_unique<SceneManager>();
    const glm::mat4 identity(1.0f);
    starSphereProgram =
        buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\StarSphere.frag");
    auto* starSphereGeometry = world->own(
        std::make_unique<scene::Geometry>(identity, meshes.starSphere, starSphereProgram.get()));
    spaceCubeProgram =
        buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\SpaceCubeGlowing.frag");
    auto* spaceCube = world->own(
        std::make_unique<scene::Geometry>(identity, meshes.spaceCube, spaceCubeProgram.get()));
    auto* spaceship =
        world->own(std::make_unique<scene::Spaceship>(identity, meshes.spaceship, basicProgram));
    auto* cockpit =
        world->own(std::make_unique<scene::Geometry>(identity, meshes.cockpit, basicProgram));
    scene::Meteor* meteors[3];
    for (int i = 0; i < 3; ++i)
        meteors[i] =
            world->own(std::make_unique<scene::Meteor>(identity, meshes.meteors[i], basicProgram));
    ground = world->own(std::make_unique<scene::Geometry>(identity, meshes.ground, basicProgram));
    std::vector<scene::SpaceJunk*> junk;
    for (const auto& [mesh, count] : {std::pair<const MeshData*, int>{&meshes.oildrum, 4},
                                      {&meshes.slab, 3},
                                      {&meshes.satellite, 2}})
        for (int i = 0; i < count; ++i)
            junk.push_back(
                world->own(std::make_unique<scene::SpaceJunk>(identity, *mesh, basicProgram)));

    placeJunk(junk);
    placeShip(*spaceship, *cockpit);
    placeMeteors(meteors);
    starSphereGeometry->modelMatrix = glm::scale(starSphereGeometry->modelMatrix, glm::vec3(12.0f));

    scene = std::move(world);
    scene->spaceCube = spaceCube;
    scene->starSphere = std::make_unique<scene::StarSphere>(starSphereGeometry);
    scene->spaceship = spaceship;
    scene->events = context->events;

    scene->add(meteors[0], "meteor1");
    scene->add(meteors[1], "meteor2");
    scene->add(meteors[2], "meteor3");
    for (size_t i = 0; i < junk.size(); ++i)
        scene->add(junk[i], "spacejunk" + std::to_string(i));

    ground->modelMatrix = glm::scale(ground->modelMatrix, glm::vec3(8.0f));
    ground->modelMatrix = glm::translate(ground->modelMatrix, glm::vec3(0.0f, -0.3f, 0.0f));
    ground->placementMatrix = ground->modelMatrix;

    // The frame pipeline reads the ship from the context; set it as soon as it exists so a
    // switch to the menu before the first update never leaves it unset.
    context->spaceship = spaceship;
}

void GameState::handleKey(int key) {
    scene::Spaceship* ship = scene->spaceship;
    switch (key) {
    case GLFW_KEY_1:
    case GLFW_KEY_2:
    case GLFW_KEY_3:
    case GLFW_KEY_4:
        // Along the nose, the ship's own +x.
        ship->setVelocity(glm::vec3(kSpeedStep * static_cast<float>(key - GLFW_KEY_1), 0, 0));
        break;
    case GLFW_KEY_7:
        scene->activeCamera = scene->cameras[0].get();
        context->activeCamera = scene->activeCamera;
        break;
    case GLFW_KEY_8:
        scene->activeCamera = scene->cameras[1].get();
        context->activeCamera = scene->activeCamera;
        break;
    case GLFW_KEY_9:
        ship->cockpitView = !ship->cockpitView;
        break;
    case GLFW_KEY_T: {
        const glm::vec4 p = ship->modelMatrix * ship->nosePoint;
        std::cout << "position: " << formatVec4(p.x, p.y, p.z, p.w) << std::endl;
        break;
    }
    case GLFW_KEY_UP:
        turn(90.0f, glm::vec3(0.0f, 0.0f, 1.0f));
        break;
    case GLFW_KEY_DOWN:
        turn(-90.0f, glm::vec3(0.0f, 0.0f, 1.0f));
        break;
    case GLFW_KEY_LEFT:
        turn(90.0f, glm::vec3(0.0f, 1.0f, 0.0f));
        break;
    case GLFW_KEY_RIGHT:
        turn(-90.0f, glm::vec3(0.0f, 1.0f, 0.0f));
        break;
    case GLFW_KEY_F2:
        context->showFrameTime = !context->showFrameTime;
        std::cout << "Show frame time: " << onOff(context->showFrameTime) << std::endl;
        break;
    case GLFW_KEY_F3:
        context->wireframe = !context->wireframe;
        std::cout << "Wireframe mode: " << onOff(context->wireframe) << std::endl;
        break;
    case GLFW_KEY_F9:
        context->transparency = !context->transparency;
        std::cout << "Transparency: " << onOff(context->transparency) << std::endl;
        break;
    default:
        scene->activeCamera->handleKey(key);
        break;
    }
}

void GameState::turn(float degrees, const glm::vec3& axis) {
    scene::Spaceship* ship = scene->spaceship;
    ship->modelMatrix = glm::rotate(ship->modelMatrix, glm::radians(degrees), axis);
    if (context->events != nullptr)
        context->events->turned(glm::vec3(ship->modelMatrix[3]));
}

void GameState::update(double dt) {
    scene->update(dt);
    context->spaceship = scene->spaceship;
}

void GameState::render() {
    scene->render();
}

} // namespace drifthold
