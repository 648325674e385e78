#include "gfx/Image.h"

#include <FreeImage.h>

#include <cstring>
#include <utility>
#include <vector>

namespace drifthold {

namespace {

using Bitmap = std::unique_ptr<FIBITMAP, decltype(&FreeImage_Unload)>;

Bitmap adopt(FIBITMAP* bitmap) {
    return Bitmap(bitmap, &FreeImage_Unload);
}

// Both the model upload and Texture hand the pixels to GL as GL_BGR bytes, so every
// depth must end up as 24-bit BGR; anything else would make GL read past the image.
Bitmap to24Bits(Bitmap loaded) {
    FIBITMAP* source = loaded.get();
    const FREE_IMAGE_TYPE type = FreeImage_GetImageType(source);
    if (type == FIT_BITMAP && FreeImage_GetBPP(source) == 24)
        return loaded;
    if (type == FIT_BITMAP || type == FIT_RGB16 || type == FIT_RGBA16)
        return adopt(FreeImage_ConvertTo24Bits(source));
    // High dynamic range colour needs tone mapping; single-channel types (16-bit grey,
    // float, ...) scale down to 8-bit grey first.
    Bitmap standard = (type == FIT_RGBF || type == FIT_RGBAF)
                          ? adopt(FreeImage_ToneMapping(source, FITMO_DRAGO03))
                          : adopt(FreeImage_ConvertToStandardType(source, TRUE));
    if (!standard)
        return adopt(nullptr);
    if (FreeImage_GetImageType(standard.get()) == FIT_BITMAP &&
        FreeImage_GetBPP(standard.get()) == 24)
        return standard;
    return adopt(FreeImage_ConvertTo24Bits(standard.get()));
}

// Far beyond any texture the game ships. A broken header (a few bytes of a TGA file, say)
// can claim tens of thousands of pixels a side, and FreeImage would allocate gigabytes
// for it before finding the data missing; such a file counts as undecodable.
constexpr unsigned kMaxSide = 8192;

bool sizeAllowed(FIBITMAP* bitmap) {
    const unsigned width = FreeImage_GetWidth(bitmap);
    const unsigned height = FreeImage_GetHeight(bitmap);
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide;
}

// Reads only the header where the format allows it, so an absurd size is refused before
// any pixel memory exists.
bool headerAllowed(FREE_IMAGE_FORMAT format, const std::string& path) {
    if (!FreeImage_FIFSupportsNoPixels(format))
        return true;
    Bitmap header = adopt(FreeImage_Load(format, path.c_str(), FIF_LOAD_NOPIXELS));
    return header && sizeAllowed(header.get());
}

} // namespace

DecodedImage decodeImage24(const std::string& path) {
    DecodedImage result;
    FREE_IMAGE_FORMAT format = FreeImage_GetFileType(path.c_str(), 0);
    if (format == FIF_UNKNOWN)
        format = FreeImage_GetFIFFromFilename(path.c_str());
    if (format == FIF_UNKNOWN || !FreeImage_FIFSupportsReading(format))
        return result;
    if (!headerAllowed(format, path))
        return result;
    Bitmap loaded = adopt(FreeImage_Load(format, path.c_str(), 0));
    if (!loaded || !FreeImage_HasPixels(loaded.get()) || !sizeAllowed(loaded.get()))
        return result;
    Bitmap image = to24Bits(std::move(loaded));
    if (!image || FreeImage_GetBPP(image.get()) != 24 || !FreeImage_GetBits(image.get()))
        return result;

    const int width = static_cast<int>(FreeImage_GetWidth(image.get()));
    const int height = static_cast<int>(FreeImage_GetHeight(image.get()));
    if (width <= 0 || height <= 0)
        return result;

    // GL unpacks rows padded to 4 bytes; FreeImage pads the same way, but repack rather
    // than trust it, since a wrong pitch would make the upload read past the rows.
    const unsigned glPitch = (static_cast<unsigned>(width) * 3u + 3u) & ~3u;
    const unsigned pitch = FreeImage_GetPitch(image.get());
    if (pitch == glPitch) {
        result.pixels = FreeImage_GetBits(image.get());
        result.image = std::shared_ptr<FIBITMAP>(image.release(), &FreeImage_Unload);
    } else {
        auto packed = std::make_shared<std::vector<unsigned char>>(
            static_cast<size_t>(glPitch) * static_cast<size_t>(height), 0);
        const unsigned rowBytes = static_cast<unsigned>(width) * 3u;
        for (int y = 0; y < height; ++y)
            std::memcpy(packed->data() + static_cast<size_t>(y) * glPitch,
                        FreeImage_GetScanLine(image.get(), y), rowBytes);
        result.pixels = packed->data();
        // The repacked rows live as long as the image handle does.
        result.image = std::shared_ptr<FIBITMAP>(
            image.release(), [packed](FIBITMAP* bitmap) { FreeImage_Unload(bitmap); });
    }
    result.width = width;
    result.height = height;
    return result;
}

} // namespace drifthold
