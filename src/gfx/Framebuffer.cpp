#include "gfx/Framebuffer.h"

#include "gfx/DebugLabels.h"
#include "gfx/PostprocessingTechnique.h"
#include "gfx/ShaderInterface.h"

#include <iostream>
#include <string>

namespace drifthold {

namespace {

// Two counter-clockwise triangles over clip space; the shaders derive UVs from these.
const GLfloat kQuadVertices[18] = {-1, -1, 0, 1, -1, 0, -1, 1, 0, -1, 1, 0, 1, -1, 0, 1, 1, 0};
const GLuint kQuadIndices[6] = {0, 1, 2, 3, 4, 5};

void clearTarget(const Viewport& target = Viewport()) {
    glViewport(target.x, target.y, target.width, target.height);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

} // namespace

Viewport letterbox(int targetWidth, int targetHeight) {
    if (targetWidth <= 0 || targetHeight <= 0) // minimised: nothing to draw into
        return {0, 0, 0, 0};
    const PixelSize fit = frameShapeIn({targetWidth, targetHeight});
    return {(targetWidth - fit.width) / 2, (targetHeight - fit.height) / 2, fit.width, fit.height};
}

Framebuffer::Framebuffer(std::string_view owner) {
    std::cout << "Initialize framebuffer..." << std::endl;
    fbo = gl::Framebuffer::create();
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    labelGLObject(GL_FRAMEBUFFER, fbo, owner);

    colorTexture = gl::Texture::create();
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    labelGLObject(GL_TEXTURE, colorTexture, owner, "colour");
    allocateColour();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glFramebufferTexture(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, colorTexture, 0);

    depthTexture = gl::Texture::create();
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    labelGLObject(GL_TEXTURE, depthTexture, owner, "depth");
    allocateDepth();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, depthTexture, 0);

    const GLenum drawBuffer = GL_COLOR_ATTACHMENT0;
    glDrawBuffers(1, &drawBuffer);

    // An incomplete target is reported but not fatal: the game still runs without it.
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (!complete) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        std::cout << "Error initializing framebuffer!" << std::endl;
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    createScreenQuad(owner);
    if (complete)
        std::cout << "Framebuffer successfully initialized!" << std::endl;
}

// The storage of the bound texture, at the current size.
void Framebuffer::allocateColour() {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, size_.width, size_.height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 nullptr);
}

void Framebuffer::allocateDepth() {
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT24, size_.width, size_.height, 0,
                 GL_DEPTH_COMPONENT, GL_UNSIGNED_INT, nullptr);
}

bool Framebuffer::resize(PixelSize size) {
    size_ = size;
    // New storage for the same two textures: they stay attached, and no GL name changes.
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    allocateColour();
    glBindTexture(GL_TEXTURE_2D, depthTexture);
    allocateDepth();
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return complete;
}

void Framebuffer::createScreenQuad(std::string_view owner) {
    quadProgram = buildProgram("Assets\\Shader\\fboBasic.vert", "Assets\\Shader\\fboBasic.frag",
                               std::string(owner) + " quad program");

    quadVertices = gl::Buffer::create();
    glBindBuffer(GL_ARRAY_BUFFER, quadVertices);
    labelGLObject(GL_BUFFER, quadVertices, owner, "quad vertex buffer");
    glBufferData(GL_ARRAY_BUFFER, sizeof(kQuadVertices), kQuadVertices, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    quadIndices = gl::Buffer::create();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices);
    labelGLObject(GL_BUFFER, quadIndices, owner, "quad index buffer");
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(kQuadIndices), kQuadIndices, GL_STATIC_DRAW);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    quadVao = gl::VertexArray::create();
    glBindVertexArray(quadVao);
    labelGLObject(GL_VERTEX_ARRAY, quadVao, owner, "quad vertex array");
    glBindBuffer(GL_ARRAY_BUFFER, quadVertices);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, quadIndices);
    // A replaced quad shader may not read the input: then there is nothing to feed.
    const GLint position = quadProgram->attributeLocation(glsl::vPosition);
    if (position >= 0) {
        glEnableVertexAttribArray(static_cast<GLuint>(position));
        glVertexAttribPointer(static_cast<GLuint>(position), 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    }

    glBindVertexArray(0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void Framebuffer::bindTextures(const ShaderProgram& program) {
    glActiveTexture(GL_TEXTURE0);
    glUniform1i(program.uniformLocation(glsl::colorTexture), 0);
    glBindTexture(GL_TEXTURE_2D, colorTexture);
    glActiveTexture(GL_TEXTURE1);
    glUniform1i(program.uniformLocation(glsl::depthTexture), 1);
    glBindTexture(GL_TEXTURE_2D, depthTexture);
}

void Framebuffer::draw(const Viewport& target) {
    clearTarget(target);
    glUseProgram(quadProgram->handle);
    glBindVertexArray(quadVao);
    bindTextures(*quadProgram);
    drawQuadAndUnbind();
}

void Framebuffer::drawWith(PostprocessingTechnique& technique, const ShaderProgram& program) {
    // The target is a pass's framebuffer, of this one's size.
    clearTarget(Viewport{0, 0, size_.width, size_.height});
    technique.setUniforms();
    glBindVertexArray(quadVao);
    bindTextures(program);
    drawQuadAndUnbind();
}

void Framebuffer::drawQuadAndUnbind() {
    glDrawElements(GL_TRIANGLES, 6, GL_UNSIGNED_INT, nullptr);
    glActiveTexture(GL_TEXTURE1);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, 0);
    glBindVertexArray(0);
}

} // namespace drifthold
