#include "Canvas.h"
#include "Models.h"
#include "Noise.h"
#include "ObjWriter.h"

#include <cmath>

namespace assetgen {

// A flat, tiled deck plate. The game loads it but does not draw it.
void makeGround(const std::string& assets) {
    const int size = 256;
    Canvas img(size, size);
    Noise3 noise(0x6A0D);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            double n = noise.fbm({x / 32.0, y / 32.0, 0.5}, 4);
            float g = 0.32f + 0.06f * float(n);
            img.at(x, y) = glm::vec3(g, g * 0.98f, g * 0.94f);
        }
    for (int i = 0; i <= 4; ++i) {
        float p = i * 64.0f;
        img.line({p, 0}, {p, float(size)}, 2.0f, glm::vec3(0.12f));
        img.line({0, p}, {float(size), p}, 2.0f, glm::vec3(0.12f));
    }
    img.saveJpeg(assets + "/Models/ground.jpg", 85);

    Mesh mesh;
    const int cells = 4;
    for (int j = 0; j < cells; ++j)
        for (int i = 0; i < cells; ++i) {
            float x0 = -1.0f + 2.0f * i / cells, x1 = -1.0f + 2.0f * (i + 1) / cells;
            float z0 = -1.0f + 2.0f * j / cells, z1 = -1.0f + 2.0f * (j + 1) / cells;
            // Counter-clockwise seen from above (+y); the texture repeats per cell.
            mesh.quad({x0, 0, z1}, {x1, 0, z1}, {x1, 0, z0}, {x0, 0, z0}, UvRect{});
        }
    MaterialDesc mat;
    mat.diffuse = glm::vec3(0.8f);
    mat.ambient = glm::vec3(0.4f);
    mat.specular = glm::vec3(0.1f);
    mat.shininess = 8.0f;
    mat.texture = "ground.jpg";
    writeObj(assets + "/Models", "ground", mesh, mat);
    reportModel("Models/ground.obj", mesh);
}

} // namespace assetgen
