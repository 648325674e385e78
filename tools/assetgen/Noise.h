#pragma once
#include <glm/glm.hpp>

#include <array>
#include <cstdint>

namespace assetgen {

// Seeded 3D gradient noise. Textures that wrap around a sphere or a cylinder sample
// it at 3D points on that surface, so they tile without seams or pole pinching.
class Noise3 {
public:
    explicit Noise3(uint64_t seed);

    // Roughly in [-1, 1], 0 on integer lattice points.
    double operator()(const glm::dvec3& p) const;
    // Fractal sum of `octaves` layers, normalised to roughly [-1, 1].
    double fbm(const glm::dvec3& p, int octaves, double lacunarity = 2.0, double gain = 0.5) const;
    // Sharp creases where the noise crosses zero, in [0, 1].
    double ridged(const glm::dvec3& p, int octaves) const;

private:
    std::array<uint8_t, 512> perm_;
};

} // namespace assetgen
