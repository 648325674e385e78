#pragma once
#include "gfx/SharedConstants.h"

#include <string>

namespace drifthold {

// A size in pixels.
struct PixelSize {
    int width = 0, height = 0;
    bool operator==(const PixelSize& other) const {
        return width == other.width && height == other.height;
    }
    bool operator!=(const PixelSize& other) const { return !(*this == other); }
};

// What the player chose for the size the passes render at. The picture and its framing are
// the same at every size; only the number of pixels changes.
struct RenderSizeChoice {
    enum class Basis {
        Fixed,  // the game's own 1024x768
        Window, // the largest 4:3 area of the window's framebuffer, HiDPI pixels included
    };
    Basis basis = Basis::Fixed;
    int scalePercent = 100; // of the basis: a quarter for a slow machine, double to supersample

    bool operator==(const RenderSizeChoice& other) const {
        return basis == other.basis && scalePercent == other.scalePercent;
    }
    bool operator!=(const RenderSizeChoice& other) const { return !(*this == other); }
};

constexpr int kMinRenderScale = 25;
constexpr int kMaxRenderScale = 200;
// The most the passes render at: the four targets then hold about 400 MB. A window larger
// than this asks for more (a 16384x16384 one would take gigabytes) and is refused.
constexpr PixelSize kMaxRenderSize{4096, 3072};
constexpr PixelSize kFrameSize{kFrameWidth, kFrameHeight};

// The largest area of the frame's 4:3 shape in `target`: the whole of it when it has that
// shape, else bars above and below or left and right.
PixelSize frameShapeIn(PixelSize target);

// The passes' size for `choice` with the window's framebuffer at `framebuffer`, at least one
// pixel each way; {0, 0} for a minimised window (no pixels), which keeps the size there is.
// A size beyond kMaxRenderSize is refused before anything is allocated: `refused` is then
// the one line for stderr (without a line end), and `size` the largest of the same shape
// within the limit.
struct RenderSizing {
    PixelSize size;
    std::string refused;
};
RenderSizing renderSizeFor(const RenderSizeChoice& choice, PixelSize framebuffer);

} // namespace drifthold
