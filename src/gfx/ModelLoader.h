#pragma once
#include "gfx/GLObject.h"
#include "gfx/gl.h"

#include <glm/glm.hpp>

#include <cstdint>
#include <future>
#include <limits>
#include <map>
#include <memory>
#include <string>
#include <thread>
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

// A buffer that one Geometry's upload made from its own copy of a mesh record. A copy of
// the record has not been uploaded, so it starts without a buffer; moves hand it over.
class UploadedBuffer : public gl::Buffer {
public:
    UploadedBuffer() noexcept = default;
    UploadedBuffer(const UploadedBuffer&) noexcept : gl::Buffer() {}
    UploadedBuffer& operator=(const UploadedBuffer&) noexcept {
        reset();
        return *this;
    }
    UploadedBuffer(UploadedBuffer&&) noexcept = default;
    UploadedBuffer& operator=(UploadedBuffer&&) noexcept = default;
    UploadedBuffer& operator=(gl::Buffer&& buffer) noexcept {
        gl::Buffer::operator=(std::move(buffer));
        return *this;
    }
    ~UploadedBuffer() = default;
};

// One loaded model. Copies share the vertex arrays and the decoded image (reference
// counted, so they live as long as any copy) and own their index list; GL buffers are
// never copied (see UploadedBuffer).
struct MeshData {
    std::shared_ptr<float[]> normals;
    std::shared_ptr<float[]> positions;
    std::shared_ptr<float[]> uvs;
    glm::vec3 boundsMin{std::numeric_limits<float>::max()};
    glm::vec3 boundsMax{std::numeric_limits<float>::lowest()};
    Material material;
    UploadedBuffer indexBuffer;
    UploadedBuffer positionBuffer;
    UploadedBuffer normalBuffer;
    UploadedBuffer uvBuffer;
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

// The folder of a model path: everything before its last backslash or forward slash,
// or the whole path when it has neither.
std::string modelDirectory(const std::string& modelPath);

// Where a material's texture is looked for: directory + '\\' + stored name, or the
// stored name alone when that would exceed 1023 characters.
std::string texturePathFor(const std::string& directory, const std::string& storedName);

// Reads each file once: loading a path again (the game has three meteors of one model)
// prints the same lines and copies the first record, which shares its vertex arrays and
// image with the copy.
class ModelLoader {
public:
    // One file read: the record, or why there is none. Prints nothing.
    struct Reading {
        bool ok = false;
        MeshData record;
        std::string problem;
    };
    // Reads one model file; may throw (out of memory, say), which counts as a failed read.
    using ReadFunction = Reading (*)(const std::string& path);
    // Reads an OBJ file with Assimp.
    static Reading readFile(const std::string& path);

    explicit ModelLoader(ReadFunction read = &ModelLoader::readFile);
    // Waits for a prefetch still reading.
    ~ModelLoader();
    ModelLoader(const ModelLoader&) = delete;
    ModelLoader& operator=(const ModelLoader&) = delete;

    // Starts reading these files, in this order, on a thread of its own, so that they
    // are parsed while the game does other work (it opens its window meanwhile). Loading
    // one of them later takes the result, waiting for it if need be; what load prints,
    // and where it fails, stay as they would be without.
    void prefetch(const std::vector<std::string>& paths);

    // Fills `record` from the OBJ file at `path` (backslash separators); a file that
    // cannot be read or holds no mesh ends the game with "ERROR READING MESH: " + path.
    // Colours come from the scene's material 0: for OBJ files that is Assimp's own
    // "DefaultMaterial" unless the .mtl defines a material of that name.
    void load(MeshData& record, std::string path);
    // The same load, but an unreadable or meshless file prints its error line and
    // returns false instead of ending the process (the fuzzer and tests need to go on).
    bool tryLoad(MeshData& record, const std::string& path);

private:
    ReadFunction read_;
    std::map<std::string, MeshData> loaded_;
    std::map<std::string, std::future<Reading>> pending_;
    std::thread reader_;
};

} // namespace drifthold
