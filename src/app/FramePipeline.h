#pragma once

namespace drifthold {

// Everything one frame draws, from the scene pass to the image presented in the window.
class FramePipeline {
public:
    // Builds the long-lived passes (after the states and the light exist).
    void init();
    void renderFrame(double frameTime);
};

} // namespace drifthold
