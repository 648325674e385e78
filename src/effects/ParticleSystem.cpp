#include "effects/ParticleSystem.h"

#include "gfx/DebugLabels.h"
#include "gfx/ShaderInterface.h"
#include "gfx/Uniforms.h"

#include <glm/gtc/type_ptr.hpp>

#include <utility>

namespace drifthold {

namespace {

constexpr GLsizeiptr kPoolBytes = ParticleSystem::kParticleCount * sizeof(Particle);
constexpr GLsizei kStride = sizeof(Particle);

const char* const kFeedbackVaryings[6] = {glsl::Type1, glsl::Position1, glsl::Velocity1,
                                          glsl::Age1,  glsl::Lifetime1, glsl::Transparency1};

// Every field of the record, at the same attribute index in both programs, so that each
// vertex array is set up once and serves the update and the render pass alike.
struct Attribute {
    const char* name;
    GLint components;
    std::size_t offset;
};
const Attribute kAttributes[6] = {{glsl::Type, 1, offsetof(Particle, type)},
                                  {glsl::Position, 3, offsetof(Particle, position)},
                                  {glsl::Velocity, 3, offsetof(Particle, velocity)},
                                  {glsl::Age, 1, offsetof(Particle, age)},
                                  {glsl::Lifetime, 1, offsetof(Particle, lifetime)},
                                  {glsl::Transparency, 1, offsetof(Particle, transparency)}};

void bindAttributeLocations(const ShaderProgram& program) {
    for (GLuint index = 0; index < 6; ++index)
        glBindAttribLocation(program.handle, index, kAttributes[index].name);
}

// One vertex array reading the whole record from `buffer`; a debugger sees them as
// "<owner> vertex array" and "<owner> buffer".
void describePool(const gl::VertexArray& vao, const gl::Buffer& buffer, const char* owner) {
    glBindVertexArray(vao);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    labelGLObject(GL_VERTEX_ARRAY, vao, owner, "vertex array");
    labelGLObject(GL_BUFFER, buffer, owner, "buffer");
    glBufferData(GL_ARRAY_BUFFER, kPoolBytes, nullptr, GL_STREAM_DRAW);
    for (GLuint index = 0; index < 6; ++index) {
        glEnableVertexAttribArray(index);
        glVertexAttribPointer(index, kAttributes[index].components, GL_FLOAT, GL_FALSE, kStride,
                              reinterpret_cast<const void*>(kAttributes[index].offset));
    }
}

} // namespace

void writeInitialParticles(Particle* pool, const glm::vec3& emitter) {
    for (int i = 0; i < ParticleSystem::kParticleCount; ++i) {
        Particle& p = pool[i];
        p.type = 1.0f;
        p.position = emitter;
        p.velocity = glm::vec3(0.0f, 0.1f, 0.0f);
        p.age = 40.0f * static_cast<float>(i);
        p.lifetime = 2000.0f;
        p.transparency = 0.0f;
    }
}

std::vector<Particle> initialParticles(const glm::vec3& emitter) {
    std::vector<Particle> particles(ParticleSystem::kParticleCount);
    writeInitialParticles(particles.data(), emitter);
    return particles;
}

void ParticleSystem::buildOnce() {
    particleTexture.loadFromFile("Assets\\Images\\particle.jpg");

    updateProgram = std::make_unique<ShaderProgram>();
    GLuint shader = 0;
    updateProgram->attachShaderFile("Assets\\Shader\\particleSystemUpdate.vert", GL_VERTEX_SHADER,
                                    shader);
    updateProgram->attachShaderFile("Assets\\Shader\\particleSystemUpdate.geo", GL_GEOMETRY_SHADER,
                                    shader);
    bindAttributeLocations(*updateProgram);
    glTransformFeedbackVaryings(updateProgram->handle, 6, kFeedbackVaryings,
                                GL_INTERLEAVED_ATTRIBS);
    updateProgram->link();
    labelGLObject(GL_PROGRAM, updateProgram->handle, "particles update program");

    renderProgram = std::make_unique<ShaderProgram>();
    renderProgram->attachShaderFile("Assets\\Shader\\particleSystemRender.vert", GL_VERTEX_SHADER,
                                    shader);
    renderProgram->attachShaderFile("Assets\\Shader\\particleSystemRender.frag", GL_FRAGMENT_SHADER,
                                    shader);
    bindAttributeLocations(*renderProgram);
    renderProgram->link();
    labelGLObject(GL_PROGRAM, renderProgram->handle, "particles render program");

    sourceVao = gl::VertexArray::create();
    sourceBuffer = gl::Buffer::create();
    describePool(sourceVao, sourceBuffer, "particles source");
    targetVao = gl::VertexArray::create();
    targetBuffer = gl::Buffer::create();
    describePool(targetVao, targetBuffer, "particles target");
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

void ParticleSystem::writePool(const glm::vec3& emitter) {
    // Written straight into the buffer: a restart after every crash allocates nothing.
    void* mapped = glMapBufferRange(GL_ARRAY_BUFFER, 0, kPoolBytes,
                                    GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT);
    if (mapped != nullptr) {
        writeInitialParticles(static_cast<Particle*>(mapped), emitter);
        // False: the store was lost while mapped (a mode switch, say); write it again below.
        if (glUnmapBuffer(GL_ARRAY_BUFFER) == GL_TRUE)
            return;
    }
    // A driver that cannot map the buffer gets the pool the ordinary way.
    const std::vector<Particle> pool = initialParticles(emitter);
    glBufferSubData(GL_ARRAY_BUFFER, 0, kPoolBytes, pool.data());
}

bool ParticleSystem::init(const glm::vec3& emitter) {
    emitterPosition = emitter;

    // Every ship reset lands here; making new GL objects each time would leak them.
    if (updateProgram == nullptr)
        buildOnce();

    glUseProgram(renderProgram->handle);
    glUniform1f(renderProgram->uniformLocation(glsl::gBillboardSize), kBillboardSize);
    glUniform1f(renderProgram->uniformLocation(glsl::gRenderHeight), renderHeight);
    glUniform1i(renderProgram->uniformLocation(glsl::gColorTexture),
                static_cast<GLint>(kSpriteUnit));
    glActiveTexture(GL_TEXTURE0 + kSpriteUnit);
    glBindTexture(GL_TEXTURE_2D, particleTexture.id);

    glUseProgram(updateProgram->handle);
    glBindBuffer(GL_ARRAY_BUFFER, sourceBuffer);
    writePool(emitter);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glUniform3fv(updateProgram->uniformLocation(glsl::gEmitterPosition), 1,
                 glm::value_ptr(emitterPosition));
    return true;
}

void ParticleSystem::setRenderHeight(float pixels) {
    renderHeight = pixels;
    if (renderProgram == nullptr)
        return; // init uploads it
    glUseProgram(renderProgram->handle);
    glUniform1f(renderProgram->uniformLocation(glsl::gRenderHeight), renderHeight);
}

void ParticleSystem::update(float shellLifetime, std::uint32_t deltaMillis) {
    const ShaderProgram& program = *updateProgram;
    glUseProgram(program.handle);
    glUniform1f(program.uniformLocation(glsl::gShellLifetime), shellLifetime);
    glUniform3fv(program.uniformLocation(glsl::gEmitterPosition), 1,
                 glm::value_ptr(emitterPosition));
    glUniform1f(program.uniformLocation(glsl::gTime), static_cast<float>(timeMillis));
    glUniform1f(program.uniformLocation(glsl::gDeltaTimeMillis), static_cast<float>(deltaMillis));
    // The update shader also declares "gRandomTexture", but no texture is bound for it: its
    // randomness is hashed, so it cannot depend on whatever the scene left on unit 0.

    glEnable(GL_RASTERIZER_DISCARD);
    glBindVertexArray(sourceVao);
    glBindBufferBase(GL_TRANSFORM_FEEDBACK_BUFFER, 0, targetBuffer);

    glBeginTransformFeedback(GL_POINTS);
    glDrawArrays(GL_POINTS, 0, kParticleCount);
    glEndTransformFeedback();
    glBindVertexArray(0);

    std::swap(sourceBuffer, targetBuffer);
    std::swap(sourceVao, targetVao);
}

void ParticleSystem::render(const glm::mat4& viewProjection, const glm::vec3& cameraPosition) {
    const ShaderProgram& program = *renderProgram;
    glUseProgram(program.handle);
    uploadMatrix(program.uniformLocation(glsl::vViewProjectionMatrix), viewProjection);
    // Part of the program's interface, given every frame; the sprites take their size from
    // each particle's own depth in the view, so the shader need not read it.
    glUniform3fv(program.uniformLocation(glsl::gCameraPos), 1, glm::value_ptr(cameraPosition));

    glDisable(GL_RASTERIZER_DISCARD);
    glEnable(GL_PROGRAM_POINT_SIZE);
    glBindVertexArray(sourceVao);
    // The sampler reads the sprite's unit, which stays active: the caller, which knows the
    // unit it wants back, restores it.
    glActiveTexture(GL_TEXTURE0 + kSpriteUnit);
    glBindTexture(GL_TEXTURE_2D, particleTexture.id);
    glDrawArrays(GL_POINTS, 0, kParticleCount);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindVertexArray(0);
}

} // namespace drifthold
