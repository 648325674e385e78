#include "Canvas.h"
#include "Models.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

// The particle sprite: a white-hot core that cools to orange, with a faint blue rim,
// on black (the sprite shader treats black as empty).
void makeParticle(const std::string& assets) {
    const int size = 128;
    Canvas img(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = (x + 0.5f) / size * 2.0f - 1.0f;
            float dy = (y + 0.5f) / size * 2.0f - 1.0f;
            float r = std::sqrt(dx * dx + dy * dy);
            float core = std::exp(-r * r / 0.018f);
            float body = std::exp(-r * r / 0.12f);
            float rim = std::exp(-(r - 0.6f) * (r - 0.6f) / 0.045f) * 0.25f;
            float edge = std::clamp((1.0f - r) / 0.12f, 0.0f, 1.0f); // black beyond r = 1
            glm::vec3 c = core * glm::vec3(1.0f, 1.0f, 0.95f) +
                          body * glm::vec3(1.0f, 0.55f, 0.15f) +
                          rim * glm::vec3(0.25f, 0.45f, 1.0f);
            img.at(x, y) = c * edge;
        }
    img.saveJpeg(assets + "/Images/particle.jpg", 95);
}

} // namespace assetgen
