#pragma once
#include <glm/glm.hpp>

namespace drifthold {

// What happened in play that the shell may want to show or sound. The states tell it
// through this while they update or handle a key, on the main thread; they neither know
// nor care what listens. Nothing here changes the game or writes anything.
class GameEvents {
public:
    enum class Crash { Meteor, Trail };

    virtual ~GameEvents() = default;
    // A piece of junk was collected; `where` is its place in the world.
    virtual void collected(const glm::vec3& where) = 0;
    // The ship was put back at its start after hitting a meteor or its own trail; `where`
    // is where it was.
    virtual void crashed(Crash cause, const glm::vec3& where) = 0;
    // The ship took a quarter turn where it is.
    virtual void turned(const glm::vec3& where) = 0;
    // The menu answered a key (an arrow or Enter).
    virtual void menuKey() = 0;
};

} // namespace drifthold
