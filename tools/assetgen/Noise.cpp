#include "Noise.h"

#include "Rng.h"

#include <cmath>

namespace assetgen {
namespace {

double fade(double t) {
    return t * t * t * (t * (t * 6.0 - 15.0) + 10.0);
}
double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

double grad(int hash, double x, double y, double z) {
    int h = hash & 15;
    double u = h < 8 ? x : y;
    double v = h < 4 ? y : (h == 12 || h == 14 ? x : z);
    return ((h & 1) ? -u : u) + ((h & 2) ? -v : v);
}

} // namespace

Noise3::Noise3(uint64_t seed) {
    std::array<uint8_t, 256> p;
    for (int i = 0; i < 256; ++i)
        p[i] = uint8_t(i);
    Rng rng(seed);
    for (int i = 255; i > 0; --i) {
        int j = rng.below(i + 1);
        std::swap(p[i], p[j]);
    }
    for (int i = 0; i < 512; ++i)
        perm_[i] = p[i & 255];
}

double Noise3::operator()(const glm::dvec3& q) const {
    double fx = std::floor(q.x), fy = std::floor(q.y), fz = std::floor(q.z);
    int X = int(fx) & 255, Y = int(fy) & 255, Z = int(fz) & 255;
    double x = q.x - fx, y = q.y - fy, z = q.z - fz;
    double u = fade(x), v = fade(y), w = fade(z);
    int A = perm_[X] + Y, AA = perm_[A] + Z, AB = perm_[A + 1] + Z;
    int B = perm_[X + 1] + Y, BA = perm_[B] + Z, BB = perm_[B + 1] + Z;
    return lerp(
        lerp(lerp(grad(perm_[AA], x, y, z), grad(perm_[BA], x - 1, y, z), u),
             lerp(grad(perm_[AB], x, y - 1, z), grad(perm_[BB], x - 1, y - 1, z), u), v),
        lerp(
            lerp(grad(perm_[AA + 1], x, y, z - 1), grad(perm_[BA + 1], x - 1, y, z - 1), u),
            lerp(grad(perm_[AB + 1], x, y - 1, z - 1), grad(perm_[BB + 1], x - 1, y - 1, z - 1), u),
            v),
        w);
}

double Noise3::fbm(const glm::dvec3& p, int octaves, double lacunarity, double gain) const {
    double sum = 0.0, amp = 1.0, norm = 0.0;
    glm::dvec3 q = p;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * (*this)(q);
        norm += amp;
        amp *= gain;
        // A fixed offset per octave keeps the lattice zeros of the layers apart.
        q = q * lacunarity + glm::dvec3(17.31, -9.72, 5.13);
    }
    return sum / norm * 1.4;
}

double Noise3::ridged(const glm::dvec3& p, int octaves) const {
    double sum = 0.0, amp = 1.0, norm = 0.0;
    glm::dvec3 q = p;
    for (int i = 0; i < octaves; ++i) {
        double r = 1.0 - std::fabs((*this)(q));
        sum += amp * r * r;
        norm += amp;
        amp *= 0.5;
        q = q * 2.0 + glm::dvec3(-3.17, 8.41, 2.29);
    }
    return sum / norm;
}

} // namespace assetgen
