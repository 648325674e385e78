#include "Canvas.h"
#include "Models.h"
#include "ObjWriter.h"

#include <glm/gtc/matrix_transform.hpp>

#include <cmath>

namespace assetgen {

// The play cube's outline: a thin glowing beam along each of the 12 edges of the cube
// from -2 to 2, so the boundary shows without hiding what is inside.
void makeSpaceCube(const std::string& assets) {
    // Glow across the beam (v), even along it (u): white-cyan core, teal falloff.
    const int size = 64;
    Canvas img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float t = ((y + 0.5f) / size - 0.5f) * 2.0f; // -1 .. 1 across the face
            float core = std::exp(-t * t / 0.04f);
            float glow = std::exp(-t * t / 0.35f);
            glm::vec3 c = core * glm::vec3(0.85f, 1.0f, 1.0f) +
                          glow * glm::vec3(0.0f, 0.55f, 0.6f) + glm::vec3(0.0f, 0.08f, 0.1f);
            img.at(x, y) = c;
        }
    img.saveJpeg(assets + "/Models/SpaceCube/SpaceCube_glow.jpg", 92);

    const float half = 2.0f, thick = 0.03f, length = 2.0f * half + thick;
    Mesh beam; // along x, centred on the origin
    beam.box(glm::scale(glm::mat4(1.0f), glm::vec3(length, thick, thick)), UvRect{});
    Mesh mesh;
    const glm::vec3 yAxis(0, 1, 0), zAxis(0, 0, 1);
    for (float a : {-half, half})
        for (float b : {-half, half}) {
            glm::mat4 m(1.0f);
            mesh.append(beam, glm::translate(m, glm::vec3(0.0f, a, b)));
            mesh.append(beam, glm::rotate(glm::translate(m, glm::vec3(a, 0.0f, b)),
                                          glm::radians(90.0f), zAxis));
            mesh.append(beam, glm::rotate(glm::translate(m, glm::vec3(a, b, 0.0f)),
                                          glm::radians(-90.0f), yAxis));
        }
    MaterialDesc mat;
    mat.diffuse = glm::vec3(0.3f, 0.9f, 1.0f);
    mat.ambient = glm::vec3(0.3f, 0.9f, 1.0f);
    mat.specular = glm::vec3(0.0f);
    mat.emissive = glm::vec3(0.2f, 0.85f, 1.0f);
    mat.shininess = 1.0f;
    mat.texture = "SpaceCube_glow.jpg";
    writeObj(assets + "/Models/SpaceCube", "SpaceCube_narrow", mesh, mat);
    reportModel("Models/SpaceCube/SpaceCube_narrow.obj", mesh);
}

} // namespace assetgen
