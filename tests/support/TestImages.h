#pragma once
// Small image files of chosen depths, written with FreeImage, and the colour each pixel
// must have once decoded to 24 bits. Rows count from the bottom, as FreeImage and GL
// store them.
#include "support/TempFolder.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace drifthold::test {

enum class Depth {
    Palette4, // 16-colour palette
    Grey8,    // 8-bit greyscale
    Rgb565,   // 16-bit packed colour
    Bgra32,   // with varying alpha, which is dropped
    Grey16,   // 16-bit greyscale (a non-bitmap FreeImage type)
    Rgb48,    // 16 bits per channel
};

struct Rgb {
    unsigned r, g, b;
};

// Colours every depth can hold exactly.
inline Rgb expectedColour(Depth depth, int x, int y) {
    const unsigned i = static_cast<unsigned>(x + 2 * y);
    const unsigned on = (i % 2) ? 255u : 0u;
    switch (depth) {
    case Depth::Grey8:
        return {(i * 40u) & 0xFFu, (i * 40u) & 0xFFu, (i * 40u) & 0xFFu};
    case Depth::Rgb565: // full or no intensity per channel survives 5/6-bit packing
        return {on, (i & 2u) ? 255u : 0u, (i & 4u) ? 255u : 0u};
    case Depth::Grey16: // scaled linearly from the image's min..max to 0..255
        return {on, on, on};
    case Depth::Rgb48:
        return {(i % 2) ? 255u : 16u, 128u, (i % 3) * 100u};
    default: {
        const unsigned k = depth == Depth::Palette4 ? i % 16 : i;
        return {(k * 37u) & 0xFFu, (255u - k * 11u) & 0xFFu, (k * 91u + 7u) & 0xFFu};
    }
    }
}

// Rows of `pitch` bytes, 3 a pixel (BGR or RGB), must hold the pattern of `depth`.
inline void expectPattern(const unsigned char* pixels, int width, int height, int pitch,
                          Depth depth, bool bgr) {
    ASSERT_NE(pixels, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = pixels + y * pitch + x * 3;
            const Rgb want = expectedColour(depth, x, y);
            EXPECT_TRUE(p[bgr ? 2 : 0] == want.r && p[1] == want.g && p[bgr ? 0 : 2] == want.b)
                << "pixel " << x << "," << y << ": " << +p[0] << " " << +p[1] << " " << +p[2];
        }
}

// Writes a w x h pattern image of that depth to `folder`; returns the path.
inline std::string writeImage(const std::string& folder, const std::string& name, Depth depth,
                              int w, int h) {
    FIBITMAP* dib =
        depth == Depth::Grey16   ? FreeImage_AllocateT(FIT_UINT16, w, h)
        : depth == Depth::Rgb48  ? FreeImage_AllocateT(FIT_RGB16, w, h)
        : depth == Depth::Rgb565 ? FreeImage_Allocate(w, h, 16, FI16_565_RED_MASK,
                                                      FI16_565_GREEN_MASK, FI16_565_BLUE_MASK)
        : depth == Depth::Bgra32 ? FreeImage_Allocate(w, h, 32)
                                 : FreeImage_Allocate(w, h, depth == Depth::Grey8 ? 8 : 4);
    if (depth == Depth::Palette4 || depth == Depth::Grey8) {
        RGBQUAD* palette = FreeImage_GetPalette(dib);
        for (unsigned i = 0; i < (depth == Depth::Grey8 ? 256u : 16u); ++i) {
            const Rgb c = depth == Depth::Grey8 ? Rgb{i, i, i} : expectedColour(depth, int(i), 0);
            palette[i] = RGBQUAD{BYTE(c.b), BYTE(c.g), BYTE(c.r), 0};
        }
    }
    for (int y = 0; y < h; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, y);
        for (int x = 0; x < w; ++x) {
            const Rgb c = expectedColour(depth, x, y);
            if (depth == Depth::Palette4 || depth == Depth::Grey8) {
                BYTE index = depth == Depth::Grey8 ? BYTE(c.r) : BYTE((x + 2 * y) % 16);
                FreeImage_SetPixelIndex(dib, x, y, &index);
            } else if (depth == Depth::Rgb565) {
                reinterpret_cast<WORD*>(line)[x] =
                    WORD(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
            } else if (depth == Depth::Grey16) {
                reinterpret_cast<uint16_t*>(line)[x] = c.r ? 65535 : 0;
            } else if (depth == Depth::Rgb48) {
                reinterpret_cast<FIRGB16*>(line)[x] =
                    FIRGB16{WORD(c.r << 8), WORD(c.g << 8), WORD(c.b << 8)};
            } else {
                RGBQUAD q{BYTE(c.b), BYTE(c.g), BYTE(c.r), BYTE(x * 60 + 10)};
                FreeImage_SetPixelColor(dib, x, y, &q);
            }
        }
    }
    const std::string path = folder + "/" + name;
    FreeImage_Save(depth == Depth::Rgb565 ? FIF_BMP : FIF_PNG, dib, path.c_str(), 0);
    FreeImage_Unload(dib);
    return path;
}

} // namespace drifthold::test
