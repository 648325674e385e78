// GL resources checked through what GL really holds: textures, and meshes drawn with the
// game's shaders, their materials and the light.
#include "gl/GLTest.h"
#include "support/Files.h"

#include "gfx/Texture.h"
#include "scene/Geometry.h"
#include "scene/Light.h"

#include <FreeImage.h>
#include <glm/gtc/matrix_transform.hpp>

#include <vector>

using namespace drifthold;
using test::GLTest;

namespace {

// Small images of the depths that take each of the decoder's roads to 24 bits, written
// with FreeImage, and the colour each pixel must have once decoded. Rows count from the
// bottom, as FreeImage and GL store them.
enum class Depth {
    Palette4, // 16-colour palette: a bitmap FreeImage converts itself
    Grey16,   // 16-bit greyscale: scaled to a standard type first
    Rgb48,    // 16 bits per channel
};

struct Rgb {
    unsigned r, g, b;
};

// Colours every depth can hold exactly.
Rgb expectedColour(Depth depth, int x, int y) {
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
void expectPattern(const unsigned char* pixels, int width, int height, int pitch, Depth depth) {
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
std::string writeImage(const std::string& folder, const std::string& name, Depth depth, int w,
                       int h) {
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

// A full-height quad over clip-space x in [x0, x1], facing +z, UVs from (0,0) to (1,1).
MeshData quad(float x0, float x1, glm::vec4 diffuse = glm::vec4(1.0f)) {
    MeshData mesh;
    mesh.positions.reset(new float[12]{x0, -1, 0, x1, -1, 0, x1, 1, 0, x0, 1, 0});
    mesh.normals.reset(new float[12]{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1});
    mesh.uvs.reset(new float[8]{0, 0, 1, 0, 1, 1, 0, 1});
    mesh.hasPositions = mesh.hasNormals = mesh.hasUVs = true;
    mesh.indices = {0, 1, 2, 0, 2, 3};
    mesh.vertexCount = 4;
    mesh.indexCount = 6;
    mesh.material.diffuse = diffuse;
    return mesh;
}

void drawOnBlack(std::initializer_list<scene::Geometry*> objects, const glm::mat4& view,
                 const glm::mat4& projection) {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, kFrameWidth, kFrameHeight);
    test::clearTo(glm::vec4(0, 0, 0, 1));
    for (scene::Geometry* object : objects)
        object->draw(view, projection);
}

glm::ivec3 rgb(test::Rgba p) {
    return {p.r, p.g, p.b};
}

} // namespace

// Each depth reaches GL as 24-bit rows padded to 4 bytes (odd widths would shear or read
// past the image otherwise), left bound, filtered linearly and repeated; a file that cannot
// be decoded gives a valid 0x0 texture. A reload releases the name the texture held.
TEST_F(GLTest, TexturesHoldTheirImagesColoursWhateverTheDepth) {
    const int w = 5, h = 3;
    Texture texture;
    GLuint previous = 0;
    for (Depth depth : {Depth::Palette4, Depth::Grey16, Depth::Rgb48}) {
        SCOPED_TRACE(static_cast<int>(depth));
        texture.loadFromFile(writeImage(test::tempFolder("textures"), "d.img", depth, w, h));
        ASSERT_TRUE(texture.width == w && texture.height == h);
        EXPECT_FALSE(previous != 0 && glIsTexture(previous));
        previous = texture.id;
        std::vector<unsigned char> pixels(w * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        expectPattern(pixels.data(), w, h, w * 3, depth);
        EXPECT_TRUE(test::texParameter(GL_TEXTURE_MIN_FILTER) == GL_LINEAR &&
                    test::texParameter(GL_TEXTURE_WRAP_S) == GL_REPEAT &&
                    test::texParameter(GL_TEXTURE_WRAP_T) == GL_REPEAT);
    }
    Texture missing;
    missing.loadFromFile("Assets\\Images\\no-such-sprite.png");
    EXPECT_TRUE(missing.width == 0 && missing.height == 0 && glIsTexture(missing.id));
}

// The star sphere shows its texture 1.3 times as bright, each channel brightened by a
// further 0.3 of its own material's emissive (the game's sky has none, so the reference
// frames cannot see that term). Making an object leaves the current program as it was.
TEST_F(GLTest, TheSkyShowsItsTextureBrightenedByItsEmissive) {
    const auto sky = buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\StarSphere.frag");
    const unsigned char texel[] = {140, 120, 100, 0}; // BGR, the row padded to 4 bytes
    MeshData plainSky = quad(-1, 0), glowingSky = quad(0, 1);
    for (MeshData* mesh : {&plainSky, &glowingSky}) {
        mesh->texturePixels = texel;
        mesh->textureWidth = mesh->textureHeight = 1;
    }
    glowingSky.material.emissive = {0.5f, 0.0f, 1.0f, 1.0f};
    glUseProgram(0);
    scene::Geometry plain(glm::mat4(1.0f), plainSky, sky.get());
    scene::Geometry glowing(glm::mat4(1.0f), glowingSky, sky.get());
    GLint made = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &made);
    EXPECT_EQ(made, 0);
    drawOnBlack({&plain, &glowing}, glm::mat4(1.0f), glm::mat4(1.0f));
    EXPECT_LE(glm::distance(glm::vec3(rgb(test::readPixel(256, 384))), glm::vec3(130, 156, 182)),
              2.0f);
    EXPECT_LE(glm::distance(glm::vec3(rgb(test::readPixel(768, 384))), glm::vec3(145, 156, 224)),
              2.0f);
}

// With the game's light, shading follows the surface as the model turns it: a face turned
// 75 degrees away from the lamp is darker than one facing it; seen from behind (turned
// half round), the face is lit from its own side.
TEST_F(GLTest, TheLitFaceDarkensAsTheModelTurnsItFromTheLight) {
    const auto basic = buildProgram("Assets\\Shader\\basic.vert", "Assets\\Shader\\basic.frag");
    glUseProgram(basic->handle);
    scene::Light().upload(*basic);
    MeshData mesh = quad(-0.2f, 0.2f, glm::vec4(0.8f));
    mesh.material.ambient = glm::vec4(0.1f);
    scene::Geometry plate(glm::mat4(1.0f), mesh, basic.get());
    const glm::mat4 view = glm::lookAt(glm::vec3(0, 0, 3), glm::vec3(0.0f), glm::vec3(0, 1, 0));
    const glm::mat4 projection = glm::perspective(glm::radians(30.0f), kFrameAspect, 0.1f, 10.0f);
    const float turns[3] = {0.0f, 75.0f, 180.0f};
    int brightness[3] = {};
    for (int turned = 0; turned < 3; ++turned) {
        plate.modelMatrix =
            glm::rotate(glm::mat4(1.0f), glm::radians(turns[turned]), glm::vec3(1, 0, 0));
        drawOnBlack({&plate}, view, projection);
        const test::Rgba p = test::readPixel(512, 384);
        brightness[turned] = p.r + p.g + p.b;
    }
    EXPECT_GT(brightness[0], 100);
    EXPECT_LT(brightness[1], brightness[0] * 2 / 3);
    EXPECT_NEAR(brightness[2], brightness[0], 6);
}
