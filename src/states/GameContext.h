#pragma once

namespace drifthold {

class GameEvents;
class ShaderProgram;
namespace scene {
class Spaceship;
class Camera;
} // namespace scene

// The record the shell and the states share: the basic program, the ship and camera the
// frame pipeline reads, and the display switches the keys toggle.
struct GameContext {
    ShaderProgram* basicProgram = nullptr;
    scene::Spaceship* spaceship = nullptr;
    scene::Camera* activeCamera = nullptr;
    bool wireframe = false;
    bool showFrameTime = false;
    bool transparency = true;
    // Hears what happens in play (sounds, say); null when nothing listens. Not owned.
    GameEvents* events = nullptr;
};

} // namespace drifthold
