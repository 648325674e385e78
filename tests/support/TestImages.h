#pragma once
// Small image files of chosen depths, written with FreeImage, and the colour each pixel
// must have once decoded to 24 bits. Rows count from the bottom, as FreeImage and GL
// store them.
#include <FreeImage.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace drifthold::test {

enum class Depth {
    Palette1, // 2-colour palette
    Palette4, // 16-colour palette
    Palette8, // 256-colour palette
    Grey8,    // 8-bit greyscale
    Rgb565,   // 16-bit packed colour
    Bgr24,    // the native layout
    Bgra32,   // with varying alpha, which is dropped
    Grey16,   // 16-bit greyscale (a non-bitmap FreeImage type)
    Rgb48,    // 16 bits per channel
};

struct Rgb {
    unsigned r, g, b;
};

// A fresh folder under the test temp dir, unique to this process.
inline std::string tempFolder(const std::string& tag) {
    const std::string folder = std::filesystem::temp_directory_path().string() + "/drifthold_" +
                               tag + "_" + std::to_string(getpid());
    std::filesystem::create_directories(folder);
    return folder;
}

// Colours chosen so every depth can hold them exactly.
inline Rgb paletteColour(unsigned index) {
    return {(index * 37u) & 0xFFu, (255u - index * 11u) & 0xFFu, (index * 91u + 7u) & 0xFFu};
}

inline Rgb expectedColour(Depth depth, int x, int y) {
    const unsigned i = static_cast<unsigned>(x + 2 * y);
    switch (depth) {
    case Depth::Palette1:
        return paletteColour(i % 2);
    case Depth::Palette4:
        return paletteColour(i % 16);
    case Depth::Palette8:
    case Depth::Bgr24:
    case Depth::Bgra32:
        return paletteColour(i % 256);
    case Depth::Grey8: {
        const unsigned v = (i * 40u) & 0xFFu;
        return {v, v, v};
    }
    case Depth::Rgb565: // full or no intensity per channel survives 5/6-bit packing
        return {(i & 1u) ? 255u : 0u, (i & 2u) ? 255u : 0u, (i & 4u) ? 255u : 0u};
    case Depth::Grey16: { // scaled linearly from the image's min..max to 0..255
        const unsigned v = (i % 2) ? 255u : 0u;
        return {v, v, v};
    }
    case Depth::Rgb48:
        return {(i % 2) ? 255u : 16u, 128u, (i % 3) * 100u};
    }
    return {0, 0, 0};
}

inline FIBITMAP* makeImage(Depth depth, int w, int h) {
    FIBITMAP* dib = nullptr;
    switch (depth) {
    case Depth::Palette1:
    case Depth::Palette4:
    case Depth::Palette8:
    case Depth::Grey8: {
        const int bpp = depth == Depth::Palette1 ? 1 : depth == Depth::Palette4 ? 4 : 8;
        dib = FreeImage_Allocate(w, h, bpp);
        RGBQUAD* palette = FreeImage_GetPalette(dib);
        for (unsigned i = 0; i < (1u << bpp); ++i) {
            const Rgb c = depth == Depth::Grey8 ? Rgb{i, i, i} : paletteColour(i);
            palette[i] = RGBQUAD{BYTE(c.b), BYTE(c.g), BYTE(c.r), 0};
        }
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned i = static_cast<unsigned>(x + 2 * y);
                BYTE index =
                    depth == Depth::Grey8 ? BYTE((i * 40u) & 0xFFu) : BYTE(i % (1u << bpp));
                FreeImage_SetPixelIndex(dib, x, y, &index);
            }
        return dib;
    }
    case Depth::Rgb565:
        dib = FreeImage_Allocate(w, h, 16, FI16_565_RED_MASK, FI16_565_GREEN_MASK,
                                 FI16_565_BLUE_MASK);
        break;
    case Depth::Bgr24:
    case Depth::Bgra32:
        dib = FreeImage_Allocate(w, h, depth == Depth::Bgr24 ? 24 : 32);
        break;
    case Depth::Grey16:
        dib = FreeImage_AllocateT(FIT_UINT16, w, h);
        break;
    case Depth::Rgb48:
        dib = FreeImage_AllocateT(FIT_RGB16, w, h);
        break;
    }
    for (int y = 0; y < h; ++y) {
        BYTE* line = FreeImage_GetScanLine(dib, y);
        for (int x = 0; x < w; ++x) {
            const Rgb c = expectedColour(depth, x, y);
            switch (depth) {
            case Depth::Rgb565:
                reinterpret_cast<WORD*>(line)[x] =
                    WORD(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
                break;
            case Depth::Bgr24:
            case Depth::Bgra32: {
                RGBQUAD q{BYTE(c.b), BYTE(c.g), BYTE(c.r), BYTE(x * 60 + 10)};
                FreeImage_SetPixelColor(dib, x, y, &q);
                break;
            }
            case Depth::Grey16:
                reinterpret_cast<uint16_t*>(line)[x] = c.r ? 65535 : 0;
                break;
            case Depth::Rgb48:
                reinterpret_cast<FIRGB16*>(line)[x] =
                    FIRGB16{WORD(c.r << 8), WORD(c.g << 8), WORD(c.b << 8)};
                break;
            default:
                break;
            }
        }
    }
    return dib;
}

// Writes a w x h pattern image of that depth to `folder`; returns the path.
inline std::string writeImage(const std::string& folder, const std::string& name, Depth depth,
                              int w, int h) {
    FIBITMAP* dib = makeImage(depth, w, h);
    const FREE_IMAGE_FORMAT format = depth == Depth::Rgb565 ? FIF_BMP : FIF_PNG;
    const std::string path = folder + "/" + name;
    FreeImage_Save(format, dib, path.c_str(), 0);
    FreeImage_Unload(dib);
    return path;
}

} // namespace drifthold::test
