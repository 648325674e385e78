#pragma once
// Mesh records without files: enough for the game rules, which read only the bounds.
#include "gfx/MeshData.h"

namespace drifthold::test {

inline MeshData boxMesh(glm::vec3 min = glm::vec3(-1.0f), glm::vec3 max = glm::vec3(1.0f)) {
    MeshData mesh;
    mesh.boundsMin = min;
    mesh.boundsMax = max;
    return mesh;
}

} // namespace drifthold::test
