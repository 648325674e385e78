// Textures made from image files: parameters, reloads, and what GL really receives.
#include "gfx/Texture.h"
#include "gl/support/GLTest.h"
#include "support/TestImages.h"

#include <fstream>
#include <vector>

using namespace drifthold;
using test::Depth;

namespace {

std::string folder() {
    static const std::string f = test::tempFolder("textures");
    return f;
}

GLint parameter(GLenum name) {
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLint levelWidth(GLint level) {
    GLint value = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &value);
    return value;
}

GLuint boundTexture() {
    GLint value = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    return static_cast<GLuint>(value);
}

} // namespace

TEST(Texture, UploadsWithLinearFiltersRepeatWrapAndNoMipmaps) {
    const std::string path = test::writeImage(folder(), "plain.png", Depth::Bgr24, 8, 4);
    Texture texture;
    texture.loadFromFile(path);
    EXPECT_EQ(texture.path, path);
    EXPECT_EQ(texture.width, 8);
    EXPECT_EQ(texture.height, 4);
    ASSERT_NE(texture.id, 0u);
    EXPECT_EQ(boundTexture(), texture.id);
    EXPECT_EQ(parameter(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(parameter(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(levelWidth(0), 8);
    EXPECT_EQ(levelWidth(1), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Texture, ParticleSpriteKeepsItsImageSize) {
    const std::string path = "Assets\\Images\\particle.jpg";
    const std::string native = "Assets/Images/particle.jpg";
    FIBITMAP* image = FreeImage_Load(FreeImage_GetFileType(native.c_str(), 0), native.c_str(), 0);
    ASSERT_NE(image, nullptr);
    Texture texture;
    texture.loadFromFile(path);
    EXPECT_EQ(texture.width, static_cast<int>(FreeImage_GetWidth(image)));
    EXPECT_EQ(texture.height, static_cast<int>(FreeImage_GetHeight(image)));
    EXPECT_EQ(levelWidth(0), texture.width);
    FreeImage_Unload(image);
}

TEST(Texture, ReloadDeletesThePreviousNameAndDestructionTheLast) {
    const std::string path = test::writeImage(folder(), "reload.png", Depth::Bgr24, 2, 2);
    GLuint last = 0;
    {
        Texture texture;
        texture.loadFromFile(path);
        const GLuint first = texture.id;
        texture.loadFromFile(path);
        EXPECT_FALSE(glIsTexture(first));
        EXPECT_TRUE(glIsTexture(texture.id));
        last = texture.id;
    }
    EXPECT_FALSE(glIsTexture(last));
}

// Every depth reaches GL as 24-bit rows with 4-byte padding: odd widths would shear or
// read past the image otherwise.
TEST(Texture, EveryDepthUploadsTheRightColours) {
    for (Depth depth : {Depth::Palette1, Depth::Palette4, Depth::Grey8, Depth::Rgb565,
                        Depth::Bgra32, Depth::Rgb48}) {
        SCOPED_TRACE(static_cast<int>(depth));
        const int w = 5, h = 3;
        const std::string path = test::writeImage(folder(), "depth.img", depth, w, h);
        Texture texture;
        texture.loadFromFile(path);
        ASSERT_EQ(texture.width, w);
        ASSERT_EQ(texture.height, h);
        std::vector<unsigned char> rgb(w * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const unsigned char* p = &rgb[(y * w + x) * 3];
                const test::Rgb want = test::expectedColour(depth, x, y);
                EXPECT_EQ(p[0], want.r) << x << "," << y;
                EXPECT_EQ(p[1], want.g) << x << "," << y;
                EXPECT_EQ(p[2], want.b) << x << "," << y;
            }
    }
}

TEST(Texture, MissingZeroByteOrTruncatedFileGivesAnEmptyValidTexture) {
    FIBITMAP* image = test::makeImage(Depth::Bgr24, 16, 16);
    const std::string jpeg = folder() + "/whole.jpg";
    FreeImage_Save(FIF_JPEG, image, jpeg.c_str(), 0);
    FreeImage_Unload(image);
    std::ifstream in(jpeg, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), {});
    ASSERT_GT(bytes.size(), 100u);
    const std::string truncated =
        test::writeFile(folder() + "/truncated.jpg", bytes.substr(0, 100));
    const std::string empty = test::writeFile(folder() + "/empty.jpg", "");

    for (const std::string& path : {folder() + "\\absent.png", truncated, empty}) {
        Texture texture;
        texture.loadFromFile(path);
        EXPECT_EQ(texture.width, 0) << path;
        EXPECT_EQ(texture.height, 0) << path;
        EXPECT_NE(texture.id, 0u) << path;
        EXPECT_TRUE(glIsTexture(texture.id)) << path;
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR)) << path;
    }
}
