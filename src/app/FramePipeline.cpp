#include "app/FramePipeline.h"

#include "gfx/FrameState.h"
#include "scene/Camera.h"
#include "scene/PlayerView.h"
#include "scene/Spaceship.h"
#include "states/GameContext.h"
#include "states/State.h"

#include <glm/gtc/matrix_transform.hpp>

#include <climits>
#include <cmath>
#include <iostream>

namespace drifthold {

namespace frame {

int deltaMillis(double frameTimeSeconds) {
    const double millis = std::trunc(frameTimeSeconds * 1000.0);
    if (!(millis > 0.0)) // also catches NaN
        return 0;
    if (millis >= static_cast<double>(INT_MAX))
        return INT_MAX;
    return static_cast<int>(millis);
}

int advanceClock(int now, int millis) {
    // In unsigned arithmetic, where wrapping is defined, then back into int's range.
    const unsigned sum = static_cast<unsigned>(now) + static_cast<unsigned>(millis);
    return static_cast<int>(sum & static_cast<unsigned>(INT_MAX));
}

ParticleRestart particleRestart(bool atRest, bool active) {
    if (!atRest)
        return ParticleRestart::Deactivate;
    return active ? ParticleRestart::Keep : ParticleRestart::Restart;
}

glm::mat4 lightView() {
    return glm::lookAt(glm::vec3(-10.0f, 0.0f, 0.0f), glm::vec3(0.0f), glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::mat4 lightProjection() {
    return glm::perspective(glm::radians(1.0f), 15000.0f, 4.0f / 3.0f, 45.0f);
}

} // namespace frame

namespace {

const glm::vec3 kEmitterOrigin(0.0f);

} // namespace

FramePipeline::FramePipeline(GameContext& gameContext) : context(gameContext) {
    particles.init(kEmitterOrigin);
}

// The game state sets the camera while building its scene; a missing one draws unmoved.
glm::mat4 FramePipeline::cameraView() const {
    return context.activeCamera != nullptr ? context.activeCamera->getViewMatrix()
                                           : glm::mat4(1.0f);
}

glm::mat4 FramePipeline::cameraProjection() const {
    return context.activeCamera != nullptr ? context.activeCamera->getProjectionMatrix()
                                           : glm::mat4(1.0f);
}

void FramePipeline::bindTarget(GLuint target) const {
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glViewport(0, 0, renderSize_.width, renderSize_.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

void FramePipeline::renderFrame(State& state, double frameTime) {
    applyRenderSize();
    begin(Pass::Scene);
    scenePass(state, frameTime);
    end();

    // The particles join the scene as the player sees it, from the cockpit too.
    const scene::PlayerView seen = scene::playerView(context.spaceship, context.activeCamera);
    begin(Pass::Particles);
    particlePass(frameTime, seen.projection * seen.view);
    end();

    begin(Pass::ShadowTexture);
    shadowTexturePass();
    end();
    begin(Pass::ShadowMapping);
    shadowMappingPass();
    end();
    begin(Pass::MotionBlur);
    motionBlurPass();
    end();
    begin(Pass::Present);
    present();
    end();
    if (probe != nullptr)
        probe->endFrame(context.showFrameTime);
}

void FramePipeline::scenePass(State& state, double frameTime) {
    bindTarget(sceneBuffer.fbo);
    state.update(frameTime);
    if (context.wireframe)
        glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    state.render();
    glPolygonMode(GL_FRONT_AND_BACK, frameState::kPolygonMode);
}

void FramePipeline::particlePass(double frameTime, const glm::mat4& viewProjection) {
    // Before the game's first update (menu chosen during start-up) there is no ship yet.
    const scene::Spaceship* ship = context.spaceship;
    if (ship == nullptr)
        return;
    const glm::vec3 emitter = glm::vec3(ship->modelMatrix * ship->tailPoint);
    const float lifetime = scene::pointLifetime(ship->collected);

    switch (frame::particleRestart(ship->atRest, particles.active)) {
    case frame::ParticleRestart::Restart:
        particles.init(kEmitterOrigin);
        particles.active = true;
        break;
    case frame::ParticleRestart::Deactivate:
        particles.active = false;
        break;
    case frame::ParticleRestart::Keep:
        break;
    }

    const int millis = frame::deltaMillis(frameTime);
    particles.timeMillis = frame::advanceClock(particles.timeMillis, millis);
    particles.emitterPosition = emitter;
    particles.update(lifetime, static_cast<std::uint32_t>(millis));
    // Depth is still tested, but the sprites' faint edges must not hide the sprites behind
    // them. The sprite's unit was made active for the draw.
    glDepthMask(GL_FALSE);
    particles.render(viewProjection, kParticleCameraPosition);
    glDepthMask(frameState::kDepthMask);
    glActiveTexture(frameState::kActiveTexture);
}

void FramePipeline::shadowTexturePass() {
    bindTarget(shadowTextureBuffer.fbo);
    shadowTexture.setViewProjection(frame::lightProjection(), frame::lightView());
    sceneBuffer.drawWith(shadowTexture, *shadowTexture.program);
}

void FramePipeline::shadowMappingPass() {
    bindTarget(shadowMappingBuffer.fbo);
    shadowMapping.viewMatrix = cameraView();
    shadowMapping.projectionMatrix = cameraProjection();
    sceneBuffer.drawWith(shadowMapping, *shadowMapping.program);
}

void FramePipeline::motionBlurPass() {
    bindTarget(motionBlurBuffer.fbo);
    const glm::mat4 view = cameraView();
    const glm::mat4 projection = cameraProjection();
    motionBlur.setViewProjection(projection, view);
    sceneBuffer.drawWith(motionBlur, *motionBlur.program);
}

void FramePipeline::present() {
    // A window of another shape gets the frame centred, with black bars around it (each
    // draw clears the whole window first).
    const bool bars =
        windowViewport.width != windowSize.width || windowViewport.height != windowSize.height;
    if (bars)
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);

    // Each draw clears the window first, so the motion-blurred image is what remains.
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    shadowTextureBuffer.draw(windowViewport);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    shadowMappingBuffer.draw(windowViewport);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    motionBlurBuffer.draw(windowViewport);

    if (bars) {
        const GLfloat* grey = frameState::kClearColour;
        glClearColor(grey[0], grey[1], grey[2], grey[3]);
    }
}

void FramePipeline::resizeWindow(int framebufferWidth, int framebufferHeight) {
    windowSize = {framebufferWidth, framebufferHeight};
    windowViewport = letterbox(framebufferWidth, framebufferHeight);
    chooseRenderSize();
}

void FramePipeline::setRenderSize(const RenderSizeChoice& choice) {
    renderChoice = choice;
    chooseRenderSize();
}

void FramePipeline::chooseRenderSize() {
    const RenderSizing sizing = renderSizeFor(renderChoice, windowSize);
    if (sizing.size == PixelSize{}) // minimised: nothing is seen, keep what there is
        return;
    // Once for each size refused, not for every resize event on the way there.
    if (!sizing.refused.empty() && sizing.refused != lastRefusal)
        std::cerr << sizing.refused << std::endl;
    lastRefusal = sizing.refused;
    wantedSize = sizing.size;
}

void FramePipeline::applyRenderSize() {
    if (wantedSize == renderSize_) // the frame's path: no GL work unless the size changed
        return;
    bool complete = true;
    for (Framebuffer* buffer :
         {&sceneBuffer, &shadowTextureBuffer, &shadowMappingBuffer, &motionBlurBuffer})
        complete = buffer->resize(wantedSize) && complete;
    if (!complete)
        std::cerr << "drifthold: the driver cannot render at " << wantedSize.width << "x"
                  << wantedSize.height << std::endl;
    particles.setRenderHeight(static_cast<float>(wantedSize.height));
    renderSize_ = wantedSize;
}

} // namespace drifthold
