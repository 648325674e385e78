#pragma once
#include "gfx/gl.h"

#include <glm/glm.hpp>

#include <memory>

namespace drifthold {

class Framebuffer;
class MotionBlurPostprocessingTechnique;
class ParticleSystem;
class ShadowMappingPPT;
class ShadowTexturePPT;
namespace scene {
class Spaceship;
}

// The per-frame decisions about the particles, kept free of GL so they can be checked alone.
namespace frame {

// Particle shells live as long as the ship's trail points: 4000 ms per collected piece,
// 2000 ms when nothing (or a non-positive count) has been collected.
float shellLifetime(float collected);

// Frame time in whole milliseconds, truncated toward zero; never negative and never
// beyond what an int holds.
int deltaMillis(double frameTimeSeconds);

enum class ParticleRestart {
    Restart,    // ship just came to rest: start the particles from scratch, then mark active
    Deactivate, // ship is moving: the next rest will restart
    Keep,       // still at rest and already restarted for it
};
ParticleRestart particleRestart(bool atRest, bool active);

// The view-projection the particles are drawn with: the active camera's, or the pilot's
// while the ship is seen from its cockpit, so the stream stays where the scene is.
glm::mat4 particleViewProjection(const scene::Spaceship* ship, const glm::mat4& cameraView,
                                 const glm::mat4& cameraProjection);

// The fixed light of the shadow-texture pass.
glm::mat4 lightView();
glm::mat4 lightProjection();

} // namespace frame

// Everything one frame draws: the scene and particles into an off-screen image, three
// full-screen passes over it, and the motion-blurred result presented in the window.
// One function per pass, so each can be measured on its own.
class FramePipeline {
public:
    FramePipeline();
    ~FramePipeline();

    // Builds the framebuffers, techniques and particle system (after the states and the
    // light exist).
    void init();
    void renderFrame(double frameTime);
    // Releases the particle system while the context is still current.
    void shutdown();

    void scenePass(double frameTime);
    // The particles, still into sceneBuffer, from the ship's tail.
    void particlePass(double frameTime, const glm::mat4& viewProjection);
    void shadowTexturePass();
    void shadowMappingPass();
    void motionBlurPass();
    void present();

    std::unique_ptr<Framebuffer> sceneBuffer;
    std::unique_ptr<Framebuffer> shadowTextureBuffer;
    std::unique_ptr<Framebuffer> shadowMappingBuffer;
    std::unique_ptr<Framebuffer> motionBlurBuffer;
    std::unique_ptr<MotionBlurPostprocessingTechnique> motionBlur;
    std::unique_ptr<ShadowTexturePPT> shadowTexture;
    std::unique_ptr<ShadowMappingPPT> shadowMapping;
    std::unique_ptr<ParticleSystem> particles;

    // The camera position handed to the particle render every frame.
    static constexpr glm::vec3 kParticleCameraPosition{90.0f, 0.0f, 10.0f};

private:
    // Binds `target` (0: the window), sets the full viewport and clears it.
    static void bindTarget(GLuint target);
};

} // namespace drifthold
