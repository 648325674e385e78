#pragma once
#include "gfx/GLObject.h"
#include "gfx/gl.h"

#include <string>

namespace drifthold {

// A 2D texture made from one image file: linear filters, repeat wrap, no mipmaps. A
// debugger sees it as "<file name> texture".
class Texture {
public:
    // Decodes the image (any depth FreeImage reads, converted to 24 bits) and uploads
    // it; leaves the texture bound. A missing file gives a valid 0x0 texture. Loading
    // again replaces the texture.
    void loadFromFile(std::string imagePath);

    std::string path;
    int height = 0;
    int width = 0;
    gl::Texture id;
};

} // namespace drifthold
