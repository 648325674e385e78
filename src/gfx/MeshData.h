#pragma once
#include "gfx/gl.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <vector>

struct FIBITMAP;

namespace drifthold {

// Colours of a model, laid out exactly as the std140 uniform block "Material".
struct Material {
    glm::vec4 diffuse{0.0f};
    glm::vec4 ambient{0.0f};
    glm::vec4 specular{0.0f};
    glm::vec4 emissive{0.0f};
    float shininess = 0.0f;
};
static_assert(sizeof(Material) == 68, "Material must match the std140 block");

// One loaded model, a plain record: copies share the vertex arrays and the decoded image
// (reference counted, so they live as long as any copy) and own their index list. The
// buffer fields name the GL buffers a Geometry made from its own copy, which owns them;
// 0 until then.
struct MeshData {
    std::shared_ptr<float[]> normals;
    std::shared_ptr<float[]> positions;
    std::shared_ptr<float[]> uvs;
    glm::vec3 boundsMin{std::numeric_limits<float>::max()};
    glm::vec3 boundsMax{std::numeric_limits<float>::lowest()};
    Material material;
    GLuint indexBuffer = 0;
    GLuint positionBuffer = 0;
    GLuint normalBuffer = 0;
    GLuint uvBuffer = 0;
    std::vector<uint32_t> indices;
    uint32_t vertexCount = 0;
    uint32_t indexCount = 0;
    bool hasPositions = false;
    bool hasNormals = false;
    bool hasUVs = false;
    // 24-bit BGR pixels, rows bottom-up and padded to 4 bytes; null when the model
    // has no readable diffuse texture.
    const unsigned char* texturePixels = nullptr;
    int textureHeight = 0;
    int textureWidth = 0;
    // Keeps the decoded image behind texturePixels alive.
    std::shared_ptr<FIBITMAP> textureImage;
    // The model file's name ("Meteor.obj"), which names its GL objects in a debugger.
    std::string fileName;
};

} // namespace drifthold
