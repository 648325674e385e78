#pragma once
#include "Mesh.h"

#include <glm/glm.hpp>

#include <string>

namespace assetgen {

struct MaterialDesc {
    glm::vec3 diffuse{1.0f};
    glm::vec3 ambient{1.0f};
    glm::vec3 specular{0.0f};
    glm::vec3 emissive{0.0f};
    float shininess = 0.0f; // 0..128
    std::string texture;    // bare file name beside the model
};

// Writes `dir`/`name`.obj and `dir`/`name`.mtl: one object, one material, triangles
// with v/vt/vn on every corner, numbers in fixed "%.6f" form so reruns are identical.
void writeObj(const std::string& dir, const std::string& name, const Mesh& mesh,
              const MaterialDesc& material);

// One line for the console summary: triangle count and bounds.
void reportModel(const std::string& file, const Mesh& mesh);

} // namespace assetgen
