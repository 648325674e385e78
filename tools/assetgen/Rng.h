#pragma once
#include <glm/glm.hpp>

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace assetgen {

// SplitMix64: fully specified integer arithmetic, so every build draws the same
// numbers. Draw into named locals, never twice inside one call's arguments (their
// evaluation order is unspecified).
class Rng {
public:
    explicit Rng(uint64_t seed) : state_(seed) {}

    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // Uniform in [0, 1).
    double uniform() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double uniform(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform integer in [0, n).
    int below(int n) { return int(uniform() * n); }
    // Uniform direction on the unit sphere.
    glm::dvec3 direction() {
        double z = uniform(-1.0, 1.0);
        double phi = uniform(0.0, 6.283185307179586);
        double r = std::sqrt(std::max(0.0, 1.0 - z * z));
        return {r * std::cos(phi), r * std::sin(phi), z};
    }
    // Standard normal sample (Box-Muller, one value per call).
    double gaussian() {
        double u1 = uniform();
        double u2 = uniform();
        return std::sqrt(-2.0 * std::log(1.0 - u1)) * std::cos(6.283185307179586 * u2);
    }

private:
    uint64_t state_;
};

} // namespace assetgen
