#pragma once
#include "effects/MotionBlurPostprocessingTechnique.h"
#include "effects/ParticleSystem.h"
#include "effects/ShadowTechniques.h"
#include "gfx/DebugLabels.h"
#include "gfx/Framebuffer.h"
#include "gfx/PassProbe.h"
#include "gfx/RenderSize.h"
#include "gfx/gl.h"

#include <glm/glm.hpp>

#include <string>

namespace drifthold {

struct GameContext;
class State;
namespace scene {
class Spaceship;
}

// The per-frame decisions about the particles, kept free of GL so they can be checked alone.
namespace frame {

// Frame time in whole milliseconds, truncated toward zero; never negative and never
// beyond what an int holds.
int deltaMillis(double frameTimeSeconds);

// The particles' clock `now` advanced by `millis` (both never negative). It wraps to 0
// instead of overflowing, after about 25 days or one absurd frame time: it only seeds the
// particles' randomness.
int advanceClock(int now, int millis);

enum class ParticleRestart {
    Restart,    // ship just came to rest: start the particles from scratch, then mark active
    Deactivate, // ship is moving: the next rest will restart
    Keep,       // still at rest and already restarted for it
};
ParticleRestart particleRestart(bool atRest, bool active);

// The fixed light of the shadow-texture pass.
glm::mat4 lightView();
glm::mat4 lightProjection();

} // namespace frame

// Everything one frame draws: the scene and particles into an off-screen image, three
// full-screen passes over it, and the motion-blurred result presented in the window.
// One function per pass, so each can be measured on its own.
class FramePipeline {
public:
    // Builds the framebuffers, techniques and particle system (after the states and the
    // light exist). Every frame reads the context's camera, ship and flags.
    explicit FramePipeline(GameContext& context);
    FramePipeline(const FramePipeline&) = delete;
    FramePipeline& operator=(const FramePipeline&) = delete;

    // One frame of `state`, the current screen. Between passes the GL state is
    // frameState's (gfx/FrameState.h).
    void renderFrame(State& state, double frameTime);

    void scenePass(State& state, double frameTime);
    // The particles, still into sceneBuffer, from the ship's tail.
    void particlePass(double frameTime, const glm::mat4& viewProjection);
    void shadowTexturePass();
    void shadowMappingPass();
    void motionBlurPass();
    void present();

    // Watches every pass from now on (null: none). Not owned.
    void setProbe(PassProbe* passProbe) { probe = passProbe; }

    // The window's framebuffer now has this size (in pixels, so HiDPI screens count
    // fully). Presentation letterboxes the frame into it; the passes follow it only when
    // they render at the window's size.
    void resizeWindow(int framebufferWidth, int framebufferHeight);
    // The size the passes render at, as the player chose it (1024x768 by default). The
    // framebuffers take a new size at the start of the next frame that needs one, and
    // only then; a size beyond kMaxRenderSize is refused with one line on stderr.
    void setRenderSize(const RenderSizeChoice& choice);
    // What the framebuffers hold now.
    PixelSize renderSize() const { return renderSize_; }

    // The camera position handed to the particle render every frame.
    static constexpr glm::vec3 kParticleCameraPosition{90.0f, 0.0f, 10.0f};

    // In start-up order: each writes its lines or builds its programs as it is made.
    Framebuffer sceneBuffer{"sceneBuffer"};
    Framebuffer shadowTextureBuffer{"shadowTextureBuffer"};
    Framebuffer shadowMappingBuffer{"shadowMappingBuffer"};
    Framebuffer motionBlurBuffer{"motionBlurBuffer"};
    MotionBlurPostprocessingTechnique motionBlur;
    ShadowTexturePPT shadowTexture;
    ShadowMappingPPT shadowMapping;
    ParticleSystem particles;

private:
    GameContext& context;
    PixelSize windowSize = kFrameSize;
    Viewport windowViewport; // where the frame goes in the window
    RenderSizeChoice renderChoice;
    PixelSize renderSize_ = kFrameSize; // what the framebuffers hold
    PixelSize wantedSize = kFrameSize;  // what the next frame renders at
    std::string lastRefusal;
    PassProbe* probe = nullptr;

    void chooseRenderSize();
    // Gives the framebuffers and the particles' sprites the wanted size, if it is new.
    void applyRenderSize();
    // Binds the pass target `target`, sets the viewport to the render size and clears it.
    void bindTarget(GLuint target) const;
    glm::mat4 cameraView() const;
    glm::mat4 cameraProjection() const;
    // Each pass is also a debug group named as the pass, for reading a frame in a debugger.
    void begin(Pass pass) const {
        pushGLDebugGroup(kPassNames[static_cast<int>(pass)]);
        if (probe != nullptr)
            probe->begin(pass);
    }
    void end() const {
        if (probe != nullptr)
            probe->end();
        popGLDebugGroup();
    }
};

} // namespace drifthold
