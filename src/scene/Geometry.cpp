#include "scene/Geometry.h"

#include "gfx/DebugLabels.h"
#include "gfx/ShaderInterface.h"
#include "gfx/ShaderProgram.h"
#include "gfx/Uniforms.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace drifthold::scene {

namespace {

// Fills `buffer` with `bytes` from `data` and feeds it to attribute `name`, which the
// program may lack (unused attributes are optimised away): then the attribute stays off.
// A debugger sees the buffer as "<model file> <label>".
void uploadAttribute(const ShaderProgram& program, const MeshData& mesh, UploadedBuffer& buffer,
                     const float* data, GLsizeiptr bytes, const char* name, GLint components,
                     const char* label) {
    buffer = gl::Buffer::create();
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    labelGLObject(GL_BUFFER, buffer, mesh.fileName, label);
    glBufferData(GL_ARRAY_BUFFER, bytes, data, GL_STATIC_DRAW);
    const GLint location = program.attributeLocation(name);
    if (location < 0)
        return;
    glEnableVertexAttribArray(static_cast<GLuint>(location));
    glVertexAttribPointer(static_cast<GLuint>(location), components, GL_FLOAT, GL_FALSE, 0,
                          nullptr);
}

} // namespace

Geometry::Geometry(const glm::mat4& model, const MeshData& meshData, ShaderProgram* program)
    : mesh(meshData), shader(program) {
    modelMatrix = model;
    placementMatrix = glm::mat4(1.0f);
    boundsMin = meshData.boundsMin;
    boundsMax = meshData.boundsMax;
    if (shader)
        upload();
}

void Geometry::upload() {
    const GLuint program = shader->handle;
    const auto vertices = static_cast<GLsizeiptr>(mesh.vertexCount);

    vao = gl::VertexArray::create();
    glBindVertexArray(vao);
    labelGLObject(GL_VERTEX_ARRAY, vao, mesh.fileName, "vertex array");

    if (mesh.hasPositions)
        uploadAttribute(*shader, mesh, mesh.positionBuffer, mesh.positions.get(), vertices * 12,
                        glsl::vPosition, 3, "position buffer");

    mesh.indexBuffer = gl::Buffer::create();
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
    labelGLObject(GL_BUFFER, mesh.indexBuffer, mesh.fileName, "index buffer");
    glBufferData(GL_ELEMENT_ARRAY_BUFFER,
                 static_cast<GLsizeiptr>(mesh.indices.size() * sizeof(uint32_t)),
                 mesh.indices.data(), GL_STATIC_DRAW);

    if (mesh.hasNormals) {
        uploadAttribute(*shader, mesh, mesh.normalBuffer, mesh.normals.get(), vertices * 12,
                        glsl::vNormal, 3, "normal buffer");
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }
    if (mesh.hasUVs) {
        uploadAttribute(*shader, mesh, mesh.uvBuffer, mesh.uvs.get(), vertices * 8, glsl::vUV, 2,
                        "uv buffer");
        glBindBuffer(GL_ARRAY_BUFFER, 0);
    }

    // Every object keeps its own material buffer and attaches it when it draws; the block
    // is pinned to one binding point so the buffer index and the block agree.
    const GLuint block = glGetUniformBlockIndex(program, glsl::Material);
    if (block != GL_INVALID_INDEX) {
        glUniformBlockBinding(program, block, kMaterialBindingPoint);
        // std140 rounds the block up (80 bytes for the 68-byte record); a buffer smaller
        // than the block is undefined behaviour, so it gets the block's own size, zeroed,
        // with the record at its start.
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

    // The sampler belongs to this object's program; setting it on whichever program happens
    // to be current would write another program's uniform (or raise an error).
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    glUseProgram(program);
    glUniform1i(shader->uniformLocation(glsl::colorTexture), 0);
    glUseProgram(static_cast<GLuint>(current));

    glBindVertexArray(0);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
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
