#include "gfx/Texture.h"

#include "gfx/DebugLabels.h"
#include "gfx/Fatal.h"
#include "gfx/Image.h"

#include <filesystem>

namespace drifthold {

void Texture::loadFromFile(std::string imagePath) {
    path = imagePath;
    const DecodedImage image = decodeImage24(nativePath(path));
    width = image.width;
    height = image.height;
    // Not fatal: the game goes on without the image, but says why it looks wrong.
    if (image.pixels == nullptr && !std::filesystem::exists(nativePath(path)))
        explainMissingFile(path);

    id = gl::Texture::create();
    glBindTexture(GL_TEXTURE_2D, id);
    labelGLObject(GL_TEXTURE, id, fileNameOf(path), "texture");

    // Decoded rows are padded to 4 bytes; make sure GL unpacks them that way.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_BGR, GL_UNSIGNED_BYTE,
                 image.pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);

    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    // The decoded image is released here, once GL holds its own copy.
}

} // namespace drifthold
