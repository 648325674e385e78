#pragma once
#include <glm/glm.hpp>

namespace drifthold::scene {

class Geometry;

// The star background: drawn from inside, both faces, at GL_LEQUAL so the far end of the
// depth range still passes. Face culling is on for everything drawn after it.
class StarSphere {
public:
    explicit StarSphere(Geometry* sphere) : geometry(sphere) {}
    void render(glm::mat4 view, glm::mat4 projection);

    Geometry* geometry;
};

} // namespace drifthold::scene
