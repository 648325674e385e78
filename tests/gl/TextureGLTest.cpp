// Textures made from image files: parameters, reloads, and what GL really receives.
#include "gfx/Texture.h"
#include "gl/support/GLTest.h"
#include "support/TestImages.h"

#include <vector>

using namespace drifthold;
using test::Depth;

using test::texLevel;
using test::texParameter;

// The shipped sprite, through the game's backslash path: its own size, linear filters,
// repeat wrap, no mipmap levels, left bound.
TEST(Texture, UploadsWithLinearFiltersRepeatWrapAndNoMipmaps) {
    FIBITMAP* image = FreeImage_Load(FIF_JPEG, "Assets/Images/particle.jpg", 0);
    ASSERT_NE(image, nullptr);
    Texture texture;
    texture.loadFromFile("Assets\\Images\\particle.jpg");
    EXPECT_EQ(texture.width, static_cast<int>(FreeImage_GetWidth(image)));
    EXPECT_EQ(texture.height, static_cast<int>(FreeImage_GetHeight(image)));
    FreeImage_Unload(image);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    ASSERT_NE(texture.id, 0u);
    EXPECT_EQ(GLuint(bound), texture.id);
    for (GLenum name : {GL_TEXTURE_MIN_FILTER, GL_TEXTURE_MAG_FILTER})
        EXPECT_EQ(texParameter(name), GL_LINEAR);
    for (GLenum name : {GL_TEXTURE_WRAP_S, GL_TEXTURE_WRAP_T})
        EXPECT_EQ(texParameter(name), GL_REPEAT);
    EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH), texture.width);
    EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH, 1), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Texture, ReloadDeletesThePreviousNameAndDestructionTheLast) {
    const std::string path =
        test::writeImage(test::tempFolder("textures"), "r.png", Depth::Bgr24, 2, 2);
    GLuint first = 0, last = 0;
    {
        Texture texture;
        texture.loadFromFile(path);
        first = texture.id;
        texture.loadFromFile(path);
        last = texture.id;
        EXPECT_TRUE(glIsTexture(last));
    }
    EXPECT_FALSE(glIsTexture(first));
    EXPECT_FALSE(glIsTexture(last));
}

// Every depth reaches GL as 24-bit rows with 4-byte padding: odd widths would shear or
// read past the image otherwise.
TEST(Texture, EveryDepthUploadsTheRightColours) {
    const int w = 5, h = 3;
    for (Depth depth : {Depth::Palette1, Depth::Palette4, Depth::Grey8, Depth::Rgb565,
                        Depth::Bgra32, Depth::Rgb48}) {
        SCOPED_TRACE(static_cast<int>(depth));
        Texture texture;
        texture.loadFromFile(test::writeImage(test::tempFolder("textures"), "d.img", depth, w, h));
        ASSERT_EQ(texture.width, w);
        ASSERT_EQ(texture.height, h);
        std::vector<unsigned char> rgb(w * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        test::expectPattern(rgb.data(), w, h, w * 3, depth, false);
    }
}

// A file that cannot be decoded still gives a valid (0x0) texture name, so drawing with
// it is harmless.
TEST(Texture, MissingZeroByteOrTruncatedFileGivesAnEmptyValidTexture) {
    const std::string truncated =
        test::writeFile(test::tempPath("truncated.jpg"),
                        test::readFile("Assets/Images/particle.jpg").substr(0, 100));
    const std::string empty = test::writeFile(test::tempPath("empty.jpg"), "");
    for (const std::string& path : {test::tempPath("absent.png"), truncated, empty}) {
        Texture texture;
        texture.loadFromFile(path);
        EXPECT_EQ(texture.width, 0) << path;
        EXPECT_EQ(texture.height, 0) << path;
        EXPECT_TRUE(texture.id != 0 && glIsTexture(texture.id)) << path;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << path;
    }
}
