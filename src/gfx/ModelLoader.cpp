#include "gfx/ModelLoader.h"

#include "gfx/DebugLabels.h"
#include "gfx/Fatal.h"
#include "gfx/Image.h"

#include <assimp/Importer.hpp>
#include <assimp/material.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <filesystem>
#include <iostream>

namespace drifthold {

namespace {

// Texture paths longer than this fall back to the bare stored name.
constexpr std::size_t kMaxTexturePath = 1023;

std::shared_ptr<float[]> newFloats(std::size_t count) {
    return std::shared_ptr<float[]>(new float[count]);
}

// Only the first material's colours count; each found colour is opaque whatever alpha
// the file stores, and a missing key leaves the field as it was.
void readMaterialColours(const aiMaterial* source, Material& material) {
    struct Key {
        const char* name;
        glm::vec4* field;
    };
    const Key keys[] = {{"$clr.diffuse", &material.diffuse},
                        {"$clr.ambient", &material.ambient},
                        {"$clr.specular", &material.specular},
                        {"$clr.emissive", &material.emissive}};
    for (const Key& key : keys) {
        aiColor4D colour(0.0f, 0.0f, 0.0f, 0.0f);
        if (aiGetMaterialColor(source, key.name, 0, 0, &colour) == AI_SUCCESS)
            *key.field = glm::vec4(colour.r, colour.g, colour.b, 1.0f);
    }
    ai_real shininess = 0.0f;
    if (aiGetMaterialFloatArray(source, "$mat.shininess", 0, 0, &shininess, nullptr) ==
            AI_SUCCESS &&
        shininess >= 0.0f && shininess <= 128.0f)
        material.shininess = static_cast<float>(shininess);
}

void readTexture(const std::string& texturePath, MeshData& record) {
    DecodedImage decoded = decodeImage24(nativePath(texturePath));
    record.textureImage = decoded.image;
    record.texturePixels = decoded.pixels;
    record.textureWidth = decoded.width;
    record.textureHeight = decoded.height;
}

// Three floats a vertex from `source`, or null when there is nothing to copy.
std::shared_ptr<float[]> copyVectors(const aiVector3D* source, std::size_t vertices,
                                     int components) {
    if (source == nullptr || vertices == 0)
        return nullptr;
    std::shared_ptr<float[]> out = newFloats(vertices * components);
    for (std::size_t v = 0; v < vertices; ++v)
        for (int c = 0; c < components; ++c)
            out[v * components + c] = source[v][static_cast<unsigned>(c)];
    return out;
}

// The first mesh's triangles (other faces are skipped), its vertex arrays and bounds.
void readMesh(const aiMesh& mesh, MeshData& record) {
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices == 3)
            record.indices.insert(record.indices.end(), face.mIndices, face.mIndices + 3);
    }
    const std::size_t vertices = mesh.mNumVertices;
    record.positions = copyVectors(mesh.HasPositions() ? mesh.mVertices : nullptr, vertices, 3);
    record.normals = copyVectors(mesh.HasNormals() ? mesh.mNormals : nullptr, vertices, 3);
    record.uvs =
        copyVectors(mesh.HasTextureCoords(0) ? mesh.mTextureCoords[0] : nullptr, vertices, 2);
    for (std::size_t v = 0; record.positions && v < vertices; ++v)
        for (int axis = 0; axis < 3; ++axis) {
            const float coordinate = record.positions[v * 3 + axis];
            if (coordinate > record.boundsMax[axis])
                record.boundsMax[axis] = coordinate;
            if (coordinate < record.boundsMin[axis])
                record.boundsMin[axis] = coordinate;
        }
    record.vertexCount = static_cast<uint32_t>(vertices);
    record.indexCount = static_cast<uint32_t>(record.indices.size());
    record.hasPositions = record.positions != nullptr;
    record.hasNormals = record.normals != nullptr;
    record.hasUVs = record.uvs != nullptr;
}

// Every material's diffuse texture is read (the last one found is kept), the first
// material's colours only.
void readMaterials(const aiScene& scene, const std::string& directory, MeshData& record) {
    for (unsigned i = 0; i < scene.mNumMaterials; ++i) {
        const aiMaterial* material = scene.mMaterials[i];
        aiString name;
        if (aiGetMaterialTexture(material, aiTextureType_DIFFUSE, 0, &name) == AI_SUCCESS)
            readTexture(texturePathFor(directory, name.C_Str()), record);
        if (i == 0)
            readMaterialColours(material, record.material);
    }
}

} // namespace

std::string modelDirectory(const std::string& modelPath) {
    const std::size_t last = modelPath.find_last_of("\\/");
    return last == std::string::npos ? modelPath : modelPath.substr(0, last);
}

std::string texturePathFor(const std::string& directory, const std::string& storedName) {
    std::string joined = directory + '\\' + storedName;
    return joined.size() > kMaxTexturePath ? storedName : joined;
}

ModelLoader::ModelLoader(ReadFunction read) : read_(read) {}

ModelLoader::~ModelLoader() {
    if (reader_.joinable())
        reader_.join();
}

void ModelLoader::prefetch(const std::vector<std::string>& paths) {
    if (reader_.joinable())
        reader_.join();
    std::vector<std::packaged_task<Reading()>> tasks;
    for (const std::string& path : paths) {
        if (loaded_.count(path) != 0 || pending_.count(path) != 0)
            continue;
        tasks.emplace_back([path, read = read_] { return read(path); });
        pending_.emplace(path, tasks.back().get_future());
    }
    reader_ = std::thread([work = std::move(tasks)]() mutable {
        for (std::packaged_task<Reading()>& task : work)
            task();
    });
}

void ModelLoader::load(MeshData& record, std::string path) {
    if (!tryLoad(record, path))
        fatalEnding();
}

bool ModelLoader::tryLoad(MeshData& record, const std::string& path) {
    std::cout << "Load model " << path << std::endl;
    auto known = loaded_.find(path);
    if (known == loaded_.end()) {
        const auto pending = pending_.find(path);
        Reading reading;
        // A read that throws, here or on the reading thread (where the future keeps the
        // exception), fails like any unreadable file instead of ending in std::terminate.
        try {
            if (pending != pending_.end()) {
                std::future<Reading> result = std::move(pending->second);
                pending_.erase(pending);
                reading = result.get();
            } else {
                reading = read_(path);
            }
        } catch (const std::exception& error) {
            reading = Reading();
            reading.problem = error.what();
        } catch (...) {
            reading = Reading();
            reading.problem = "the read failed";
        }
        if (!reading.ok) {
            std::cout << "ERROR READING MESH: " << path << std::endl;
            if (!std::filesystem::exists(nativePath(path)))
                explainMissingFile(path);
            else
                std::cerr << "drifthold: " << nativePath(path) << ": " << reading.problem
                          << std::endl;
            return false;
        }
        reading.record.fileName = fileNameOf(path);
        known = loaded_.emplace(path, std::move(reading.record)).first;
    }
    record = known->second;
    std::cout << "Model " << path << " loaded" << std::endl;
    return true;
}

ModelLoader::Reading ModelLoader::readFile(const std::string& path) {
    Reading reading;
    // The importer owns the scene and releases it when it goes out of scope.
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(nativePath(path), aiProcess_JoinIdenticalVertices |
                                                                   aiProcess_GenSmoothNormals);
    // A file that parses but holds no mesh is as useless as one that does not parse.
    if (!scene || scene->mNumMeshes == 0 || !scene->mMeshes || !scene->mMeshes[0]) {
        reading.problem = scene ? "no mesh in the file" : importer.GetErrorString();
        return reading;
    }
    readMesh(*scene->mMeshes[0], reading.record);
    readMaterials(*scene, modelDirectory(path), reading.record);
    importer.FreeScene();
    reading.ok = true;
    return reading;
}

} // namespace drifthold
