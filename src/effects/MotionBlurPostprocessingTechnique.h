#pragma once
#include "effects/PostprocessingTechnique.h"

namespace drifthold {

// Gives the blur shader this frame's inverse view-projection and the previous frame's
// view-projection, so the blur follows the camera's motion between the two.
//
// When the view-projection is the one of the last frame, every pixel's velocity is zero
// and the blur would only copy the scene: then the pass draws with `stillProgram`, a plain
// copy, and skips the per-pixel reprojection.
class MotionBlurPostprocessingTechnique : public PostprocessingTechnique {
public:
    MotionBlurPostprocessingTechnique();
    // Stores projection * view.
    void setViewProjection(glm::mat4 projection, glm::mat4 view);
    // Uploads the blur's matrices to `program`, then leaves current the program that
    // programForThisFrame() names.
    void setUniforms() override;

    // The program this frame draws with: the blur while the view moves, else the copy.
    // Ask before setUniforms, which makes this frame's matrices the previous ones.
    const ShaderProgram& programForThisFrame() const;

    bool firstFrame = true;
    glm::mat4 previousViewProjection{1.0f};
    glm::mat4 viewProjection{1.0f};
    std::unique_ptr<ShaderProgram> stillProgram;

private:
    bool viewMoved() const;
};

} // namespace drifthold
