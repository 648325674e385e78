#pragma once
#include <memory>
#include <string>

struct FIBITMAP;

namespace drifthold {

// A decoded image in 24-bit BGR (FreeImage's native layout: rows bottom-up, padded to
// 4 bytes), whatever depth the file had. Null image when the file cannot be decoded.
struct DecodedImage {
    std::shared_ptr<FIBITMAP> image;
    const unsigned char* pixels = nullptr;
    int width = 0;
    int height = 0;
};

// `path` is already a native path.
DecodedImage decodeImage24(const std::string& path);

} // namespace drifthold
