#pragma once
#include "gfx/PostprocessingTechnique.h"

#include <glm/glm.hpp>

namespace drifthold {

// Gives the blur shader this frame's inverse view-projection and the previous frame's
// view-projection, so the blur follows the camera's motion between the two.
class MotionBlurPostprocessingTechnique : public PostprocessingTechnique {
public:
    MotionBlurPostprocessingTechnique();
    // Stores projection * view.
    void setViewProjection(glm::mat4 projection, glm::mat4 view);
    // Makes `program` current and uploads the two matrices; this frame's view-projection
    // then becomes the previous one.
    void setUniforms() override;

    bool firstFrame = true;
    glm::mat4 previousViewProjection{1.0f};
    glm::mat4 viewProjection{1.0f};
};

} // namespace drifthold
