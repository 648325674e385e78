#include "scene/Geometry.h"

#include "gfx/DebugLabels.h"
#include "gfx/ShaderInterface.h"
#include "gfx/ShaderProgram.h"
#include "gfx/Uniforms.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace drifthold::scene {

Geometry::Geometry(const glm::mat4& model, const MeshData& meshData, ShaderProgram* program)
    : mesh(meshData), shader(program) {
    modelMatrix = model;
    placementMatrix = glm::mat4(1.0f);
    boundsMin = meshData.boundsMin;
    boundsMax = meshData.boundsMax;
    if (shader)
        upload();
}

void Geometry::uploadAttribute(gl::Buffer& buffer, GLuint& nameInMesh, const float* data,
                               GLsizeiptr bytes, const char* input, GLint components,
                               const char* label) {
    buffer = gl::Buffer::create();
    nameInMesh = buffer;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    labelGLObject(GL_BUFFER, buffer, mesh.fileName, label);
    glBufferData(GL_ARRAY_BUFFER, bytes, data, GL_STATIC_DRAW);
    // Inputs the program does not use are optimised away: then the attribute stays off.
    const GLint location = shader->attributeLocation(input);
    if (location < 0)
        return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0,
                          nullptr);
}

void Geometry::upload() {
    vao = gl::VertexArray::create();
    glBindVertexArray(vao);
    labelGLObject(GL_VERTEX_ARRAY, vao, mesh.fileName, "vertex array");
    uploadVertices();
    uploadMaterial();
    uploadTexture();

    // The sampler belongs to this object's program; setting it on whichever program happens
    // to be current would write another program's uniform (or raise an error). Once, at
    // start-up, so asking GL which program that is costs nothing.
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    glUseProgram(shader->handle);
    glUniform1i(shader->uniformLocation(glsl::colorTexture), 0);
    glUseProgram(static_cast<GLuint>(current));

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void Geometry::uploadVertices() {
    const auto vertices = static_cast<GLsizeiptr>(mesh.vertexCount);
    if (mesh.hasPositions)
        uploadAttribute(positionBuffer_, mesh.positionBuffer, mesh.positions.get(), vertices * 12,
                        glsl::vPosition, 3, "position buffer");

    indexBuffer_ = gl::Buffer::create();
    mesh.indexBuffer = indexBuffer_;
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);
    labelGLObject(GL_BUFFER, indexBuffer_, mesh.fileName, "index buffer");
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(mesh.indices.size() * sizeof(uint32_t)),
                 mesh.indices.data(), GL_STATIC_DRAW);

    if (mesh.hasNormals) {
        uploadAttribute(normalBuffer_, mesh.normalBuffer, mesh.normals.get(), vertices * 12,
                        glsl::vNormal, 3, "normal buffer");
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    if (mesh.hasUVs) {
        uploadAttribute(uvBuffer_, mesh.uvBuffer, mesh.uvs.get(), vertices * 8, glsl::vUV, 2,
                        "uv buffer");
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
}

void Geometry::uploadMaterial() {
    // Every object keeps its own material buffer and attaches it when it draws; the block
    // is pinned to one binding point so the buffer index and the block agree.
    const GLuint program = shader->handle;
    const GLuint block = glGetUniformBlockIndex(program, glsl::Material);
    if (block == GL_INVALID_INDEX)
        return;
    glUniformBlockBinding(program, block, kMaterialBindingPoint);
    // std140 rounds the block up (80 bytes for the 68-byte record); a buffer smaller than
    // the block is undefined behaviour, so it gets the block's own size, zeroed, with the
    // record at its start.
    GLint blockSize = 0;
    glGetActiveUniformBlockiv(program, block, GL_UNIFORM_BLOCK_DATA_SIZE, &blockSize);
    std::vector<unsigned char> data(
        std::max<std::size_t>(sizeof(Material), static_cast<std::size_t>(blockSize)));
    std::memcpy(data.data(), &mesh.material, sizeof(Material));
    materialBuffer = gl::Buffer::create();
    glBindBuffer(GL_UNIFORM_BUFFER, materialBuffer);
    labelGLObject(GL_BUFFER, materialBuffer, mesh.fileName, "material buffer");
    glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(data.size()), data.data(),
                 GL_STATIC_DRAW);
    glBindBufferBase(GL_UNIFORM_BUFFER, kMaterialBindingPoint, materialBuffer);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
}

void Geometry::uploadTexture() {
    texture = gl::Texture::create();
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    labelGLObject(GL_TEXTURE, texture, mesh.fileName, "texture");
    if (mesh.texturePixels && mesh.textureWidth > 0 && mesh.textureHeight > 0) {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, mesh.textureWidth, mesh.textureHeight, 0, GL_BGR,
                     GL_UNSIGNED_BYTE, mesh.texturePixels);
    } else {
        // No image: one white texel, so the material colour shows instead of black.
        const unsigned char white[4] = {255, 255, 255, 255};
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1, 1, 0, GL_BGR, GL_UNSIGNED_BYTE, white);
    }
    glGenerateMipmap(GL_TEXTURE_2D);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

void Geometry::update(double dt) {
    (void)dt;
}

void Geometry::draw(glm::mat4 view, glm::mat4 projection) {
    if (!shader)
        return;
    const GLuint program = shader->handle;
    glUseProgram(program);
    uploadMatrix(shader->uniformLocation(glsl::VP), projection * view);
    uploadMatrix(shader->uniformLocation(glsl::modelMatrix), modelMatrix);
    uploadMatrix(shader->uniformLocation(glsl::viewMatrix), view);
    uploadMatrix(shader->uniformLocation(glsl::projectionMatrix), projection);
    if (materialBuffer != 0)
        glBindBufferBase(GL_UNIFORM_BUFFER, kMaterialBindingPoint, materialBuffer);
    glBindVertexArray(vao);
    // Colour textures live on unit 0; the particle set-up leaves unit 4 active.
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh.indexCount), GL_UNSIGNED_INT, nullptr);
    glBindVertexArray(0);
}

void Geometry::setVelocity(glm::vec3 v) {
    velocity = v;
}

void Geometry::setRotationAxis(glm::vec3 axis) {
    rotationAxis = axis;
}

float Geometry::value() {
    return 0.0f;
}

} // namespace drifthold::scene
