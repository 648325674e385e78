#pragma once
#include "audio/Audio.h"
#include "states/GameEvents.h"

#include <glm/glm.hpp>

namespace drifthold {

namespace scene {
class Spaceship;
}

// What play sounds like: the chime where a piece of junk was collected, a crash where the
// ship hit a meteor or its own trail, a whoosh for each quarter turn, a click for each menu
// key, and the engine at the ship, following its speed. Heard from where the player sees.
class GameSounds : public GameEvents {
public:
    explicit GameSounds(Audio& sink) : audio(sink) {}

    void collected(const glm::vec3& where) override;
    void crashed(Crash cause, const glm::vec3& where) override;
    void turned(const glm::vec3& where) override;
    void menuKey() override;

    // Once a frame: the listener at the view the player sees through, and the engine at the
    // ship (quiet while the game stands still behind the menu).
    void frame(const glm::mat4& view, const scene::Spaceship* ship, bool playing, double dt);

private:
    Audio& audio;
};

} // namespace drifthold
