#pragma once
#include "gfx/gl.h"

#include <string>

namespace drifthold {

// A 2D texture made from one image file: linear filters, repeat wrap, no mipmaps.
class Texture {
public:
    Texture() = default;
    ~Texture();
    Texture(const Texture&) = delete;
    Texture& operator=(const Texture&) = delete;

    // Decodes the image (any depth FreeImage reads, converted to 24 bits) and uploads
    // it; leaves the texture bound. A missing file gives a valid 0x0 texture.
    void loadFromFile(std::string imagePath);

    std::string path;
    int height = 0;
    int width = 0;
    GLuint id = 0;
};

} // namespace drifthold
