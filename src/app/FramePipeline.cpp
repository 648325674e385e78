#include "app/FramePipeline.h"

#include "app/GameContext.h"
#include "app/Window.h"
#include "states/State.h"

namespace drifthold {

void FramePipeline::init() {}

void FramePipeline::renderFrame(double frameTime) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kWindowWidth, kWindowHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    currentState->update(frameTime);
    if (gameContext.wireframe)
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    currentState->render();
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
}

} // namespace drifthold
