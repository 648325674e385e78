#pragma once
// Small image files of the depths that take each of the decoder's roads to 24 bits, written
// with FreeImage, and the colour each pixel must have once decoded. Rows count from the
// bottom, as FreeImage and GL store them.
#include "support/Files.h"

#include <FreeImage.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace drifthold::test {

enum class Depth {
    Palette4, // 16-colour palette: a bitmap FreeImage converts itself
    Grey16,   // 16-bit greyscale: scaled to a standard type first
    Rgb48,    // 16 bits per channel
};

struct Rgb {
    unsigned r, g, b;
};

// Colours every depth can hold exactly.
inline Rgb expectedColour(Depth depth, int x, int y) {
    const unsigned i = static_cast<unsigned>(x + 2 * y);
    const unsigned on = (i % 2) ? 255u : 0u;
    if (depth == Depth::Grey16) // scaled linearly from the image's min..max to 0..255
        return {on, on, on};
    if (depth == Depth::Rgb48)
        return {(i % 2) ? 255u : 16u, 128u, (i % 3) * 100u};
    const unsigned k = i % 16;
    return {(k * 37u) & 0xFFu, (255u - k * 11u) & 0xFFu, (k * 91u + 7u) & 0xFFu};
}

// Rows of `pitch` bytes, 3 a pixel (RGB), must hold the pattern of `depth`.
inline void expectPattern(const unsigned char* pixels, int width, int height, int pitch,
                          Depth depth) {
    ASSERT_NE(pixels, nullptr);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = pixels + y * pitch + x * 3;
            const Rgb want = expectedColour(depth, x, y);
            EXPECT_TRUE(p[0] == want.r && p[1] == want.g && p[2] == want.b)
                << "pixel " << x << "," << y << ": " << +p[0] << " " << +p[1] << " " << +p[2];
        }
}

// Writes a w x h pattern image of that depth to `folder` as a PNG; returns the path.
inline std::string writeImage(const std::string& folder, const std::string& name, Depth depth,
                              int w, int h) {
    FIBITMAP* dib = depth == Depth::Grey16  ? FreeImage_AllocateT(FIT_UINT16, w, h)
                    : depth == Depth::Rgb48 ? FreeImage_AllocateT(FIT_RGB16, w, h)
                                            : FreeImage_Allocate(w, h, 4);
    if (depth == Depth::Palette4)
        for (unsigned i = 0; i < 16; ++i) {
            const Rgb c = expectedColour(depth, int(i), 0);
            FreeImage_GetPalette(dib)[i] = RGBQUAD{BYTE(c.b), BYTE(c.g), BYTE(c.r), 0};
        }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Rgb c = expectedColour(depth, x, y);
            BYTE* line = FreeImage_GetScanLine(dib, y);
            if (depth == Depth::Palette4) {
                BYTE index = BYTE((x + 2 * y) % 16);
                FreeImage_SetPixelIndex(dib, x, y, &index);
            } else if (depth == Depth::Grey16) {
                reinterpret_cast<uint16_t*>(line)[x] = c.r ? 65535 : 0;
            } else {
                reinterpret_cast<FIRGB16*>(line)[x] =
                    FIRGB16{WORD(c.r << 8), WORD(c.g << 8), WORD(c.b << 8)};
            }
        }
    const std::string path = folder + "/" + name;
    FreeImage_Save(FIF_PNG, dib, path.c_str(), 0);
    FreeImage_Unload(dib);
    return path;
}

} // namespace drifthold::test
