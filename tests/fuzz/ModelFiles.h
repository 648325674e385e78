#pragma once
// One fuzz input seen as the files of a model: OBJ text, its material library and one
// image, in that order, separated by kSeparator. The fuzzer writes them beside each other
// and loads them as the game does; the regression test replays saved inputs the same way.
#include "gfx/Image.h"
#include "gfx/ModelLoader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <numeric>
#include <string>
#include <string_view>

namespace drifthold::fuzz {

inline constexpr std::string_view kSeparator = "\n@@@@\n";
// The names the seeds refer to ("mtllib m.mtl", "map_Kd t.img").
inline constexpr const char* kModelName = "model.obj";
inline constexpr const char* kMaterialName = "m.mtl";
inline constexpr const char* kImageName = "t.img";

struct ModelFiles {
    std::string obj;
    std::string mtl;
    std::string image;
};

// Missing parts are empty; the image part keeps any later separators as its own bytes.
inline ModelFiles split(std::string_view input) {
    ModelFiles files;
    for (std::string* part : {&files.obj, &files.mtl}) {
        const std::size_t cut = std::min(input.find(kSeparator), input.size());
        part->assign(input.substr(0, cut));
        input.remove_prefix(std::min(input.size(), cut + kSeparator.size()));
    }
    files.image.assign(input);
    return files;
}

// Assimp 5.2.5 writes through a null material for a texture statement that comes before
// the library's first "newmtl" (tests/fuzz/library/): the material part always starts
// with one, so the fuzzer spends its time on other faults.
inline constexpr std::string_view kMaterialPrefix = "newmtl first\n";

inline void writeFiles(const std::string& folder, const ModelFiles& files) {
    std::ofstream(folder + "/" + kModelName, std::ios::binary | std::ios::trunc) << files.obj;
    std::ofstream(folder + "/" + kMaterialName, std::ios::binary | std::ios::trunc)
        << kMaterialPrefix << files.mtl;
    std::ofstream(folder + "/" + kImageName, std::ios::binary | std::ios::trunc) << files.image;
}

// Reads every byte the GL upload would read: a 24-bit image with rows padded to 4 bytes.
inline std::string checkPixels(const unsigned char* pixels, int width, int height) {
    if (pixels == nullptr)
        return width == 0 && height == 0 ? "" : "size without pixels";
    if (width <= 0 || height <= 0)
        return "pixels without a size";
    const std::size_t pitch = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t(3);
    volatile unsigned keep = std::accumulate(pixels, pixels + pitch * height, 0u);
    (void)keep;
    return "";
}

// Everything Geometry will hand to GL must be in bounds: attribute arrays of vertexCount
// entries, indices below vertexCount, the pixels. Returns the first broken rule, or "".
inline std::string checkRecord(const MeshData& record) {
    if (record.indexCount != record.indices.size())
        return "indexCount differs from the index list";
    if (record.hasPositions != (record.positions != nullptr) ||
        record.hasNormals != (record.normals != nullptr) ||
        record.hasUVs != (record.uvs != nullptr))
        return "a has-flag disagrees with its array";
    for (uint32_t index : record.indices)
        if (index >= record.vertexCount)
            return "index " + std::to_string(index) + " beyond " +
                   std::to_string(record.vertexCount) + " vertices";
    float sum = 0.0f;
    for (uint32_t v = 0; v < record.vertexCount; ++v) {
        if (record.positions)
            sum += record.positions[v * 3] + record.positions[v * 3 + 2];
        if (record.normals)
            sum += record.normals[v * 3] + record.normals[v * 3 + 2];
        if (record.uvs)
            sum += record.uvs[v * 2] + record.uvs[v * 2 + 1];
    }
    volatile float keep = sum;
    (void)keep;
    return checkPixels(record.texturePixels, record.textureWidth, record.textureHeight);
}

// Loads the model in `folder` through the game's loader and decodes its image on its own
// (the particle sprite's road). Returns the first broken rule, or "".
inline std::string loadAndCheck(const std::string& folder) {
    MeshData record;
    // The game's backslash form, mapped by the loader.
    if (ModelLoader().tryLoad(record, folder + "\\" + kModelName)) {
        const std::string fault = checkRecord(record);
        if (!fault.empty())
            return "model: " + fault;
    }
    const DecodedImage image = decodeImage24(folder + "/" + kImageName);
    const std::string fault = checkPixels(image.pixels, image.width, image.height);
    return fault.empty() ? "" : "image: " + fault;
}

} // namespace drifthold::fuzz
