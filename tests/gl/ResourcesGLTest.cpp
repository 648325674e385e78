// GL resources checked through what GL really holds: textures, and meshes drawn with the
// game's shaders, their materials and the light.
#include "gl/GLTest.h"

#include "gfx/Texture.h"
#include "scene/Geometry.h"
#include "scene/Light.h"
#include "support/TestImages.h"

#include <glm/gtc/matrix_transform.hpp>

#include <vector>

using namespace drifthold;
using test::GLTest;

namespace {

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
    for (test::Depth depth : {test::Depth::Palette4, test::Depth::Grey16, test::Depth::Rgb48}) {
        SCOPED_TRACE(static_cast<int>(depth));
        texture.loadFromFile(test::writeImage(test::tempFolder("textures"), "d.img", depth, w, h));
        ASSERT_TRUE(texture.width == w && texture.height == h);
        EXPECT_FALSE(previous != 0 && glIsTexture(previous));
        previous = texture.id;
        std::vector<unsigned char> pixels(w * h * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        test::expectPattern(pixels.data(), w, h, w * 3, depth);
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
