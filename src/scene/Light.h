#pragma once
#include <glm/glm.hpp>

namespace drifthold {
class ShaderProgram;
}

namespace drifthold::scene {

// The one fixed light, handed to the basic program once at start-up.
struct Light {
    glm::vec3 position{0.0f, 0.0f, 0.5f};
    glm::vec3 ambient{0.25f, 0.25f, 0.25f};
    glm::vec3 diffuse{2.0f, 2.0f, 2.0f};
    glm::vec3 specular{0.0f, 0.0f, 0.0f};

    // Sets "lights[0].*" of the current program, which must be `program` (the values go
    // to whichever program is current; `program` gives the locations).
    void upload(const ShaderProgram& program) const;
};

} // namespace drifthold::scene
