#include "states/GameState.h"

#include "states/GameContext.h"
#include "states/GameEvents.h"
#include "gfx/ModelLoader.h"
#include "gfx/ShaderProgram.h"
#include "scene/Camera.h"
#include "scene/Geometry.h"
#include "scene/Meteor.h"
#include "scene/SpaceJunk.h"
#include "scene/Spaceship.h"
#include "states/LayoutRandom.h"
#include "states/SceneManager.h"
#include "scene/StarSphere.h"

#include <GLFW/glfw3.h>
#include <glm/gtc/matrix_transform.hpp>

#include <cstdio>
#include <iostream>
#include <sstream>
#include <utility>
#include <vector>

namespace drifthold {

namespace {

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

void GameState::buildScene() {
    ModelLoader ownLoader;
    ModelLoader& loader = models != nullptr ? *models : ownLoader;
    const std::vector<std::string>& files = modelFiles();
    MeshData starSphereMesh, spaceCubeMesh, spaceshipMesh, cockpitMesh;
    MeshData meteorMesh[3];
    MeshData oildrumMesh, slabMesh, satelliteMesh, groundMesh;
    loader.load(starSphereMesh, files[0]);
    loader.load(spaceCubeMesh, files[1]);
    loader.load(spaceshipMesh, files[2]);
    loader.load(cockpitMesh, files[3]);
    for (MeshData& mesh : meteorMesh)
        loader.load(mesh, files[4]);
    loader.load(oildrumMesh, files[5]);
    loader.load(slabMesh, files[6]);
    loader.load(satelliteMesh, files[7]);
    loader.load(groundMesh, files[8]);

    // The world owns every object from the moment it exists.
    auto world = std::make_unique<SceneManager>();
    const glm::mat4 identity(1.0f);
    starSphereProgram =
        buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\StarSphere.frag");
    auto* starSphereGeometry = world->own(
        std::make_unique<scene::Geometry>(identity, starSphereMesh, starSphereProgram.get()));
    spaceCubeProgram =
        buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\SpaceCubeGlowing.frag");
    auto* spaceCube = world->own(
        std::make_unique<scene::Geometry>(identity, spaceCubeMesh, spaceCubeProgram.get()));
    auto* spaceship =
        world->own(std::make_unique<scene::Spaceship>(identity, spaceshipMesh, basicProgram));
    auto* cockpit =
        world->own(std::make_unique<scene::Geometry>(identity, cockpitMesh, basicProgram));
    scene::Meteor* meteors[3];
    for (int i = 0; i < 3; ++i)
        meteors[i] =
            world->own(std::make_unique<scene::Meteor>(identity, meteorMesh[i], basicProgram));
    ground = world->own(std::make_unique<scene::Geometry>(identity, groundMesh, basicProgram));
    std::vector<scene::SpaceJunk*> junk;
    for (const auto& [mesh, count] :
         {std::pair<const MeshData*, int>{&oildrumMesh, 4}, {&slabMesh, 3}, {&satelliteMesh, 2}})
        for (int i = 0; i < count; ++i)
            junk.push_back(
                world->own(std::make_unique<scene::SpaceJunk>(identity, *mesh, basicProgram)));

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

    spaceship->modelMatrix = glm::scale(spaceship->modelMatrix, glm::vec3(0.15f));
    spaceship->placementMatrix = spaceship->modelMatrix;
    spaceship->initialMatrix = spaceship->modelMatrix;
    spaceship->laySeedPoint();

    cockpit->modelMatrix = glm::scale(cockpit->modelMatrix, glm::vec3(0.15f));
    spaceship->cockpit = cockpit;

    const glm::vec3 meteorOffsets[3] = {{-5, 5, 3}, {-9, -7, -5}, {6, 8, 7}};
    const glm::vec3 meteorAxes[3] = {{0.3f, 0.1f, 0.6f}, {0.4f, 1.0f, 0.2f}, {0.1f, 0.6f, -0.6f}};
    for (int i = 0; i < 3; ++i) {
        meteors[i]->modelMatrix = glm::scale(meteors[i]->modelMatrix, glm::vec3(0.2f));
        meteors[i]->modelMatrix = glm::translate(meteors[i]->modelMatrix, meteorOffsets[i]);
        meteors[i]->setRotationAxis(meteorAxes[i]);
        meteors[i]->placementMatrix = meteors[i]->modelMatrix;
    }

    starSphereGeometry->modelMatrix = glm::scale(starSphereGeometry->modelMatrix, glm::vec3(12.0f));

    scene = std::move(world);
    scene->spaceCube = spaceCube;
    scene->starSphere = std::make_unique<scene::StarSphere>(starSphereGeometry);
    scene->spaceship = spaceship;
    scene->events = context->events;

    scene->add(meteors[0], "meteor1");
    scene->add(meteors[1], "meteor2");
    scene->add(meteors[2], "meteor3");
    for (size_t i = 0; i < junk.size(); ++i) {
        std::ostringstream name;
        name << "spacejunk" << i;
        scene->add(junk[i], name.str());
    }

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
        ship->setVelocity(glm::vec3(0.0f, 0.0f, 0.0f));
        break;
    case GLFW_KEY_2:
        ship->setVelocity(glm::vec3(0.2f, 0.0f, 0.0f));
        break;
    case GLFW_KEY_3:
        ship->setVelocity(glm::vec3(0.4f, 0.0f, 0.0f));
        break;
    case GLFW_KEY_4:
        ship->setVelocity(glm::vec3(0.6f, 0.0f, 0.0f));
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
