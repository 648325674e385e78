#pragma once
#include <cstdint>

namespace drifthold {

// The junk layout's own generator: integers 0..32767 in the same sequence on every run
// and platform, starting afresh for every scene that is built.
class LayoutRandom {
public:
    static constexpr int kMax = 32767;
    int next() {
        state = state * 1103515245u + 12345u;
        return static_cast<int>((state / 65536u) % 32768u);
    }

private:
    uint32_t state = 1;
};

} // namespace drifthold
