#pragma once
#include "gfx/GLObject.h"
#include "gfx/ShaderProgram.h"
#include "gfx/SharedConstants.h"
#include "gfx/Texture.h"
#include "gfx/gl.h"

#include <glm/glm.hpp>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace drifthold {

// One particle as both GPU buffers store it; times are in milliseconds.
struct Particle {
    float type;         // 1: launcher (invisible, sits at the emitter), 2: shell
    glm::vec3 position; // world position
    glm::vec3 velocity; // world units per second
    float age;
    float lifetime;
    float transparency; // 0 invisible .. 1 opaque
};
static_assert(sizeof(Particle) == 40, "the shaders read a packed 40-byte record");
static_assert(offsetof(Particle, position) == 4 && offsetof(Particle, velocity) == 16 &&
                  offsetof(Particle, age) == 28 && offsetof(Particle, lifetime) == 32 &&
                  offsetof(Particle, transparency) == 36,
              "field offsets are part of the vertex layout");

// The pool as init uploads it: every particle a launcher at `emitter`, ages staggered
// 40 ms apart so that they come due one after the other. `pool` holds kParticleCount.
void writeInitialParticles(Particle* pool, const glm::vec3& emitter);
std::vector<Particle> initialParticles(const glm::vec3& emitter);

// A fixed pool of particles that lives on the GPU: each update advances every particle
// by transform feedback from one buffer into the other, then the two change roles.
class ParticleSystem {
public:
    static constexpr int kParticleCount = 10000;
    static constexpr GLuint kSpriteUnit = 4;
    // The sprites' size in world units at the tail.
    static constexpr float kBillboardSize = 0.1f;

    ParticleSystem() = default;

    // Puts the whole pool back to its initial particles at `emitter`. The programs,
    // buffers, vertex arrays and sprite are made by the first call and reused after it.
    bool init(const glm::vec3& emitter);
    // One transform-feedback step; leaves rasterizer discard on until render.
    void update(float shellLifetime, std::uint32_t deltaMillis);
    // Draws the current particles as point sprites into the bound framebuffer, with the
    // depth writes and blending the caller set. Leaves the sprite's unit active.
    void render(const glm::mat4& viewProjection, const glm::vec3& cameraPosition);

    // The height of the target the sprites are drawn into, in pixels: their size follows it,
    // so the stream looks the same at every render size.
    void setRenderHeight(float pixels);

    bool active = false;
    int timeMillis = 0;
    std::unique_ptr<ShaderProgram> updateProgram;
    std::unique_ptr<ShaderProgram> renderProgram;
    Texture particleTexture;
    glm::vec3 emitterPosition{0.0f};

    gl::Buffer targetBuffer;
    gl::Buffer sourceBuffer;
    gl::VertexArray sourceVao;
    gl::VertexArray targetVao;

private:
    void buildOnce();
    float renderHeight = static_cast<float>(kFrameHeight);
    // The initial pool into the buffer bound to GL_ARRAY_BUFFER.
    void writePool(const glm::vec3& emitter);
};

} // namespace drifthold
