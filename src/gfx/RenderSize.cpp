#include "gfx/RenderSize.h"

#include <algorithm>
#include <cmath>

namespace drifthold {

namespace {

std::string shown(PixelSize size) {
    return std::to_string(size.width) + "x" + std::to_string(size.height);
}

int scaled(int pixels, int percent) {
    return std::max(1,
                    static_cast<int>(std::lround(static_cast<double>(pixels) * percent / 100.0)));
}

} // namespace

PixelSize frameShapeIn(PixelSize target) {
    // Compared in integers: the frame's own size, and every exact multiple, fills it all.
    if (static_cast<long long>(target.width) * kFrameHeight >
        static_cast<long long>(target.height) * kFrameWidth)
        return {
            static_cast<int>(static_cast<long long>(target.height) * kFrameWidth / kFrameHeight),
            target.height};
    return {target.width,
            static_cast<int>(static_cast<long long>(target.width) * kFrameHeight / kFrameWidth)};
}

RenderSizing renderSizeFor(const RenderSizeChoice& choice, PixelSize framebuffer) {
    RenderSizing sizing;
    PixelSize basis = kFrameSize;
    if (choice.basis == RenderSizeChoice::Basis::Window) {
        if (framebuffer.width <= 0 || framebuffer.height <= 0)
            return sizing;
        basis = frameShapeIn(framebuffer);
    }
    const int percent = std::clamp(choice.scalePercent, kMinRenderScale, kMaxRenderScale);
    sizing.size = {scaled(basis.width, percent), scaled(basis.height, percent)};
    if (sizing.size.width <= kMaxRenderSize.width && sizing.size.height <= kMaxRenderSize.height)
        return sizing;
    const double shrink = std::min(static_cast<double>(kMaxRenderSize.width) / sizing.size.width,
                                   static_cast<double>(kMaxRenderSize.height) / sizing.size.height);
    const PixelSize fitted{std::max(1, static_cast<int>(sizing.size.width * shrink)),
                           std::max(1, static_cast<int>(sizing.size.height * shrink))};
    sizing.refused = "drifthold: a render size of " + shown(sizing.size) + " is more than the " +
                     shown(kMaxRenderSize) + " the game renders at most; rendering at " +
                     shown(fitted);
    sizing.size = fitted;
    return sizing;
}

} // namespace drifthold
