#pragma once
#include "gfx/PostprocessingTechnique.h"

#include <glm/glm.hpp>

namespace drifthold {

// Carries the fixed light's view-projection, uploaded as "lightVP".
class ShadowTexturePPT : public PostprocessingTechnique {
public:
    ShadowTexturePPT();
    // Stores projection * view.
    void setViewProjection(glm::mat4 projection, glm::mat4 view);
    void setUniforms() override;

    glm::mat4 viewProjection{1.0f};
};

// Carries the camera's view and projection (written directly by the frame pipeline)
// and the bias that maps clip space to texture space.
class ShadowMappingPPT : public PostprocessingTechnique {
public:
    ShadowMappingPPT();
    void setUniforms() override;

    // Clip space [-1, 1] to texture coordinates and depth [0, 1].
    static glm::mat4 biasMatrix();

    glm::mat4 viewMatrix{1.0f};
    glm::mat4 projectionMatrix{1.0f};
};

} // namespace drifthold
