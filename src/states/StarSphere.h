#pragma once
#include <glm/glm.hpp>

namespace drifthold {

namespace scene {
class Geometry;
}

// The star background: drawn from inside, both faces, at the far end of the depth range.
class StarSphere {
public:
    explicit StarSphere(scene::Geometry* sphere) : geometry(sphere) {}
    void render(glm::mat4 view, glm::mat4 projection);

    scene::Geometry* geometry;
};

} // namespace drifthold
