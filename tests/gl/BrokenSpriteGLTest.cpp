// The particle sprite "Assets\Images\particle.jpg" in every depth FreeImage decodes, cut
// short, empty or missing: the particle system still starts, steps and draws, with GL
// taking the sprite without an error. The sanitizer build checks the upload stays inside
// the decoded pixels.
#include "effects/ParticleSystem.h"
#include "gl/support/GLTest.h"
#include "support/TestImages.h"

#include <glm/gtc/matrix_transform.hpp>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace drifthold;
namespace fs = std::filesystem;
using test::Depth;

namespace {

// A working folder whose Assets holds the real shaders and a sprite of our choosing;
// the particle system opens its files relative to the working folder.
class SpriteFolder {
public:
    SpriteFolder() : root(test::tempFolder("sprite")), previous(fs::current_path()) {
        fs::create_directories(root + "/Assets/Images");
        if (!fs::exists(root + "/Assets/Shader"))
            fs::create_directory_symlink(previous / "Assets" / "Shader", root + "/Assets/Shader");
        fs::current_path(root);
    }
    ~SpriteFolder() { fs::current_path(previous); }

    std::string spritePath() const { return root + "/Assets/Images/particle.jpg"; }

private:
    std::string root;
    fs::path previous;
};

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Starts the system, steps it and draws it once; returns the sprite's decoded width.
int runWithSprite() {
    ParticleSystem particles;
    particles.init(glm::vec3(0.0f));
    for (int i = 0; i < 3; ++i) {
        particles.timeMillis += 16;
        particles.update(2000.0f, 16);
    }
    const glm::mat4 viewProjection =
        glm::perspective(glm::radians(30.0f), 4.0f / 3.0f, 0.01f, 30.0f) *
        glm::lookAt(glm::vec3(0, 0, 10), glm::vec3(0), glm::vec3(0, 1, 0));
    particles.render(viewProjection, glm::vec3(90, 0, 10));
    glFinish();
    EXPECT_TRUE(glIsTexture(particles.particleTexture.id));
    return particles.particleTexture.width;
}

} // namespace

TEST(BrokenSprite, EveryDepthAndEveryBrokenFileStillRuns) {
    SpriteFolder folder;
    const std::string sprite = folder.spritePath();
    for (Depth depth : {Depth::Palette1, Depth::Palette4, Depth::Palette8, Depth::Grey8,
                        Depth::Rgb565, Depth::Bgr24, Depth::Bgra32, Depth::Grey16, Depth::Rgb48}) {
        SCOPED_TRACE("depth " + std::to_string(static_cast<int>(depth)));
        // Odd width: the rows need padding.
        FIBITMAP* image = test::makeImage(depth, 7, 5);
        ASSERT_TRUE(
            FreeImage_Save(depth == Depth::Rgb565 ? FIF_BMP : FIF_PNG, image, sprite.c_str(), 0));
        FreeImage_Unload(image);
        EXPECT_EQ(runWithSprite(), 7);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }

    FIBITMAP* image = test::makeImage(Depth::Bgr24, 33, 17);
    ASSERT_TRUE(FreeImage_Save(FIF_JPEG, image, sprite.c_str(), 0));
    FreeImage_Unload(image);
    const std::string jpeg = readAll(sprite);
    for (std::size_t length : {jpeg.size() / 2, std::size_t(20), std::size_t(0)}) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        test::writeFile(sprite, jpeg.substr(0, length));
        runWithSprite();
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    fs::remove(sprite);
    EXPECT_EQ(runWithSprite(), 0);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}
