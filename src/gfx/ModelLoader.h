#pragma once
#include "gfx/MeshData.h"

#include <future>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace drifthold {

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
