#pragma once
#include "gfx/GLObject.h"
#include "gfx/MeshData.h"
#include "gfx/gl.h"
#include "scene/SceneObject.h"

namespace drifthold {
class ShaderProgram;
}

namespace drifthold::scene {

// Every program's "Material" block reads from this uniform-buffer binding point; each
// object attaches its own buffer there when it draws.
constexpr GLuint kMaterialBindingPoint = 0;

// A mesh uploaded once to the GPU and drawn with its own program.
//
// With a null `shader` the object is logic-only: it makes no GL call at all, its GL names
// stay 0 and draw does nothing. Game rules can then run without a GL context. Otherwise
// the constructor needs a current context, and so does the destructor, which deletes
// what the upload made.
class Geometry : public SceneObject {
public:
    Geometry(const glm::mat4& model, const MeshData& mesh, ShaderProgram* shader);
    Geometry(const Geometry&) = delete;
    Geometry& operator=(const Geometry&) = delete;

    void update(double dt) override;
    void draw(glm::mat4 view, glm::mat4 projection) override;
    void setVelocity(glm::vec3 velocity) override;
    void setRotationAxis(glm::vec3 axis) override;
    float value() override;

    // Own copy of the record: vertex arrays and pixels shared, index list own; the
    // upload writes the names of the buffers below into it.
    MeshData mesh;
    ShaderProgram* shader = nullptr; // not owned
    gl::VertexArray vao;
    gl::Texture texture;
    glm::vec3 velocity{0.0f};
    glm::vec3 rotationAxis{0.0f};
    // This object's "Material" uniform buffer; 0 when the program has no such block.
    gl::Buffer materialBuffer;

private:
    void upload();
    void uploadVertices();
    void uploadMaterial();
    void uploadTexture();
    // Fills `buffer` and feeds it to vertex input `input` of the program, if it has one. A
    // debugger sees the buffer as "<model file> <label>".
    void uploadAttribute(gl::Buffer& buffer, GLuint& nameInMesh, const float* data,
                         GLsizeiptr bytes, const char* input, GLint components, const char* label);

    // The mesh's buffers, owned here.
    gl::Buffer indexBuffer_, positionBuffer_, normalBuffer_, uvBuffer_;
};

} // namespace drifthold::scene
