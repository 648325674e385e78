#include "app/GameSounds.h"

#include "scene/Spaceship.h"

namespace drifthold {

void GameSounds::collected(const glm::vec3& where) {
    audio.play(Sound::Chime, where);
}

void GameSounds::crashed(Crash cause, const glm::vec3& where) {
    audio.play(cause == Crash::Meteor ? Sound::CrashMeteor : Sound::CrashTrail, where);
}

void GameSounds::turned(const glm::vec3& where) {
    audio.play(Sound::Turn, where);
}

void GameSounds::menuKey() {
    audio.playFlat(Sound::Click);
}

void GameSounds::frame(const glm::mat4& view, const scene::Spaceship* ship, bool playing,
                       double dt) {
    audio.setListener(view);
    if (ship != nullptr)
        audio.setEngine(glm::vec3(ship->modelMatrix[3]),
                        playing ? glm::length(ship->velocity) : 0.0f);
    audio.update(dt);
}

} // namespace drifthold
