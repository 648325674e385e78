// Reading OBJ models into MeshData records, and decoding texture images to 24 bits.
#include "gfx/ModelLoader.h"
#include "fuzz/ModelFiles.h"
#include "gfx/Fatal.h"
#include "gfx/Image.h"
#include "support/DeathTest.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <unistd.h>

using namespace drifthold;
using test::Depth;

namespace {

std::string folder() {
    static const std::string f = test::tempFolder("models");
    return f;
}

std::string write(const std::string& name, const std::string& text) {
    const std::string path = folder() + "/" + name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// Loads `path` into `record`, returning what the loader printed.
std::string load(MeshData& record, const std::string& path) {
    testing::internal::CaptureStdout();
    ModelLoader().load(record, path);
    return testing::internal::GetCapturedStdout();
}

std::string loadedLines(const std::string& path) {
    return "Load model " + path + "\nModel " + path + " loaded\n";
}

// Calls `take(tag, rest of the line)` for each line of a text file.
template <class Take> void eachLine(const std::string& path, Take take) {
    std::ifstream file(nativePath(path));
    EXPECT_TRUE(file.good()) << path;
    for (std::string line, tag; std::getline(file, line); tag.clear()) {
        std::istringstream in(line);
        in >> tag;
        take(tag, in);
    }
}

const char* kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.25 0.5\nvt 1 0\nvt 0 1\n"
                        "f 1/1 2/2 3/3\n";

} // namespace

// Textures sit beside the model, joined with a backslash after whichever separator comes
// last; a joined path over 1023 characters falls back to the stored name.
TEST(TexturePath, JoinsTheModelFolderWithABackslashUpTo1023Characters) {
    EXPECT_EQ(texturePathFor(modelDirectory("Assets\\Models\\Meteor\\Meteor.obj"), "t.jpg"),
              "Assets\\Models\\Meteor\\t.jpg");
    EXPECT_EQ(texturePathFor(modelDirectory("Assets/Models/Meteor/Meteor.obj"), "t.jpg"),
              "Assets/Models/Meteor\\t.jpg");
    EXPECT_EQ(modelDirectory("a/b\\c/m.obj"), "a/b\\c");
    EXPECT_EQ(modelDirectory("a\\b/c\\m.obj"), "a\\b/c");
    EXPECT_EQ(texturePathFor(modelDirectory("model.obj"), "t.png"), "model.obj\\t.png");
    const std::string fits(1023 - 1 - 5, 'd');
    EXPECT_EQ(texturePathFor(fits, "t.png"), fits + "\\t.png");
    EXPECT_EQ(texturePathFor(fits + "d", "t.png"), "t.png");
}

// Only the first mesh is read; smooth normals and UVs come along; no texture, no pixels.
TEST(ModelLoader, ReadsTheFirstMeshOnlyAndPrintsItsLines) {
    const std::string path = write("two.obj", std::string("o first\n") + kTriangle +
                                                  "o second\nv 5 5 5\nv 6 5 5\nv 5 6 -9\n"
                                                  "f 4 5 6\n");
    MeshData record;
    EXPECT_EQ(load(record, path), loadedLines(path));
    EXPECT_EQ(record.vertexCount, 3u);
    EXPECT_EQ(record.indices, (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(record.indexCount, 3u);
    EXPECT_TRUE(record.hasPositions && record.hasNormals && record.hasUVs);
    EXPECT_EQ(record.boundsMin, glm::vec3(0, 0, 0));
    EXPECT_EQ(record.boundsMax, glm::vec3(1, 1, 0));
    EXPECT_FLOAT_EQ(std::abs(record.normals[2]), 1.0f);
    EXPECT_FLOAT_EQ(record.uvs[0], 0.25f);
    EXPECT_FLOAT_EQ(record.uvs[1], 0.5f);
    EXPECT_EQ(record.texturePixels, nullptr);
    EXPECT_EQ(record.textureWidth, 0);
}

// Quads are not triangulated: no index list, but vertices and bounds are still kept.
TEST(ModelLoader, QuadsGiveNoIndicesButStillVerticesAndBounds) {
    const std::string path =
        write("quads.obj", "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 0 1\nv -1 2 -1\nv 1 2 -1\n"
                           "f 1 2 3 4\nf 1 2 6 5\n");
    MeshData record;
    load(record, path);
    EXPECT_EQ(record.indexCount, 0u);
    EXPECT_TRUE(record.indices.empty());
    EXPECT_EQ(record.vertexCount, 6u);
    EXPECT_FALSE(record.hasUVs);
    EXPECT_EQ(record.boundsMin, glm::vec3(-1, 0, -1));
    EXPECT_EQ(record.boundsMax, glm::vec3(1, 2, 1));
}

// Bounds start from +-max, not 0, and widen each axis on its own.
TEST(ModelLoader, BoundsWidenEachAxisOnItsOwn) {
    const struct {
        const char *name, *obj;
        glm::vec3 min, max;
    } cases[] = {{"negative.obj",
                  "v -3 -1 -2\nv -2 -5 -1\nv -4 -2 -6\nf 1 2 3\n",
                  {-4, -5, -6},
                  {-2, -1, -1}},
                 {"single.obj", "v 1.5 -2 3\np 1\n# one point\n", {1.5f, -2, 3}, {1.5f, -2, 3}},
                 {"mixed.obj", "v 0 0 0\nv 1 1 1\nv 2 -1 0.5\nf 1 2 3\n", {0, -1, 0}, {2, 1, 1}}};
    for (const auto& c : cases) {
        MeshData record;
        load(record, write(c.name, c.obj));
        EXPECT_EQ(record.boundsMin, c.min) << c.name;
        EXPECT_EQ(record.boundsMax, c.max) << c.name;
    }
}

// Assimp puts its own "DefaultMaterial" at index 0 unless the library defines one by
// that name; the colours always come from index 0, whatever the mesh uses, alpha 1.
TEST(ModelLoader, ColoursComeFromMaterialZeroWithAlphaOne) {
    write("colours.mtl", "newmtl DefaultMaterial\nKd 0.8 0.2 0.1\nd 0.5\nKa 0.1 0.2 0.3\n"
                         "Ks 0.5 0.5 0.5\nKe 0 0.25 0\nNs 20\n"
                         "newmtl other\nKd 0 0 1\nNs 50\n");
    MeshData record;
    load(record,
         write("colours.obj", std::string("mtllib colours.mtl\nusemtl other\n") + kTriangle));
    EXPECT_EQ(record.material.diffuse, glm::vec4(0.8f, 0.2f, 0.1f, 1.0f));
    EXPECT_EQ(record.material.ambient, glm::vec4(0.1f, 0.2f, 0.3f, 1.0f));
    EXPECT_EQ(record.material.specular, glm::vec4(0.5f, 0.5f, 0.5f, 1.0f));
    EXPECT_EQ(record.material.emissive, glm::vec4(0, 0.25f, 0, 1.0f));
    EXPECT_EQ(record.material.shininess, 20.0f);

    write("assimpdefault.mtl", "newmtl red\nKd 1 0 0\n");
    MeshData fallback;
    load(fallback, write("assimpdefault.obj",
                         std::string("mtllib assimpdefault.mtl\nusemtl red\n") + kTriangle));
    EXPECT_EQ(fallback.material.diffuse, glm::vec4(0.6f, 0.6f, 0.6f, 1.0f));
}

// Out-of-range values are ignored: the record keeps the 0 of a new one.
TEST(ModelLoader, ShininessIsTakenOnlyWithin0To128) {
    const std::pair<const char*, float> cases[] = {
        {"0", 0.0f}, {"128", 128.0f}, {"128.5", 0.0f}, {"-0.5", 0.0f}, {"64", 64.0f}};
    for (const auto& [ns, expected] : cases) {
        const std::string name = std::string("ns") + ns;
        write(name + ".mtl", std::string("newmtl DefaultMaterial\nNs ") + ns + "\n");
        MeshData record;
        load(record, write(name + ".obj", "mtllib " + name + ".mtl\n" + kTriangle));
        EXPECT_EQ(record.material.shininess, expected) << "Ns " << ns;
    }
}

// Files read ahead on the loader's thread come out as a plain load would give them: the
// same lines in the order of the loads, a file read again copied from the first, and a
// missing one failing where it is loaded, not where it was read.
TEST(ModelLoader, PrefetchedFilesLoadAsTheyWouldWithout) {
    const std::string a = write("ahead-a.obj", kTriangle);
    const std::string b = write("ahead-b.obj", "v 0 0 0\nv 2 0 0\nv 0 3 0\nf 1 2 3\n");
    const std::string missing = folder() + "/ahead-missing.obj";
    ModelLoader loader;
    loader.prefetch({a, missing, b});
    MeshData first, again, second, none;
    testing::internal::CaptureStdout();
    loader.load(first, a);
    loader.load(second, b);
    loader.load(again, a);
    const bool loaded = loader.tryLoad(none, missing);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              loadedLines(a) + loadedLines(b) + loadedLines(a) + "Load model " + missing +
                  "\nERROR READING MESH: " + missing + "\n");
    EXPECT_FALSE(loaded);
    EXPECT_EQ(second.boundsMax, glm::vec3(2.0f, 3.0f, 0.0f));
    EXPECT_EQ(again.positions.get(), first.positions.get());
    EXPECT_EQ(again.indices, first.indices);
    EXPECT_TRUE(first.hasUVs && !second.hasUVs);
}

// With two textured materials the last one wins, through either separator; the 24-bit
// image is shared by copies and outlives the record it was loaded into.
TEST(ModelLoader, LastTexturedMaterialWinsThroughEitherSeparator) {
    test::writeImage(folder(), "a.png", Depth::Bgra32, 2, 2);
    test::writeImage(folder(), "b.png", Depth::Palette8, 3, 2);
    write("twotex.mtl", "newmtl DefaultMaterial\nmap_Kd a.png\nnewmtl second\nmap_Kd b.png\n"
                        "newmtl plain\nKd 1 1 1\n");
    write("twotex.obj", "mtllib twotex.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nv 1 1 0\n"
                        "usemtl DefaultMaterial\nf 1 2 3\nusemtl second\nf 2 4 3\n");
    for (const std::string separator : {"\\", "/"}) {
        MeshData record;
        load(record, folder() + separator + "twotex.obj");
        EXPECT_EQ(record.textureWidth, 3);
        EXPECT_EQ(record.textureHeight, 2);
        MeshData copy = record;
        record = MeshData();
        test::expectPattern(copy.texturePixels, 3, 2, 12, Depth::Palette8, true);
    }
}

// A texture that is missing, not an image, or any format cut short at any length: loading
// goes on, with no pixels or the whole padded image (checkRecord reads every byte the GL
// upload would, and that no pixels means a 0x0 size; the sanitizer build turns a read
// past them into a failure).
TEST(ModelLoader, BrokenTexturesGiveNoPixelsOrTheWholeImageAndLoadingGoesOn) {
    std::vector<std::pair<std::string, bool>> images = {{"", false}, {"plain text\n", false}};
    FIBITMAP* image = test::makeImage(Depth::Bgr24, 13, 7);
    for (FREE_IMAGE_FORMAT format : {FIF_PNG, FIF_JPEG, FIF_BMP, FIF_TARGA, FIF_TIFF}) {
        ASSERT_TRUE(FreeImage_Save(format, image, (folder() + "/whole.img").c_str(), 0));
        const std::string bytes = test::readFile(folder() + "/whole.img");
        for (std::size_t length : {0, 1, 8, 18, 33, 60})
            images.push_back({bytes.substr(0, length), false});
        images.push_back({bytes.substr(0, bytes.size() / 2), false});
        images.push_back({bytes.substr(0, bytes.size() - 1), false});
        images.push_back({bytes, true});
    }
    FreeImage_Unload(image);
    write("broken.mtl", "newmtl DefaultMaterial\nmap_Kd broken.img\n");
    const std::string path = write("broken.obj", std::string("mtllib broken.mtl\n") + kTriangle);
    for (std::size_t i = 0; i < images.size(); ++i) {
        std::filesystem::remove(folder() + "/broken.img");
        if (i > 0) // the first stays missing
            write("broken.img", images[i].first);
        MeshData record;
        EXPECT_EQ(load(record, path), loadedLines(path)) << i;
        EXPECT_EQ(fuzz::checkRecord(record), "") << i;
        EXPECT_EQ(record.indexCount, 3u) << i;
        EXPECT_TRUE(!images[i].second || (record.textureWidth == 13 && record.textureHeight == 7))
            << i;
    }
}

// The fuzz seeds and found inputs replay within bounds; the found TGA whose header claims
// gigabytes is refused before FreeImage allocates them.
TEST(ModelLoader, FuzzInputsReplayWithinBoundsAndAbsurdSizesAreRefused) {
    const std::string dir = test::tempFolder("fuzz");
    for (const char* inputs : {"tests/fuzz/corpus", "tests/fuzz/regressions"})
        for (const auto& input : std::filesystem::directory_iterator(inputs)) {
            fuzz::writeFiles(dir, fuzz::split(test::readFile(input.path().string())));
            testing::internal::CaptureStdout();
            EXPECT_EQ(fuzz::loadAndCheck(dir), "") << input.path();
            testing::internal::GetCapturedStdout();
        }
    fuzz::writeFiles(
        dir, fuzz::split(test::readFile("tests/fuzz/regressions/tga_header_claims_gigabytes")));
    const std::string image = dir + "/" + fuzz::kImageName;
    ASSERT_EQ(FreeImage_GetFileType(image.c_str(), 0), FIF_TARGA);
    EXPECT_EQ(decodeImage24(image).image, nullptr);
}

TEST(ModelLoaderDeathTest, UnreadableOrMeshlessFileEndsWithTheErrorLine) {
    const std::string missing = folder() + "\\no-such-model.obj";
    const std::string meshless = write("meshless.obj", "mtllib colours.mtl\n# no geometry\n");
    for (const std::string& path : {missing, meshless}) {
        std::string re; // '.' matches itself too; the backslash needs escaping
        for (char c : path)
            re += c == '\\' ? std::string("\\\\") : std::string(1, c);
        EXPECT_EXIT(
            {
                test::matchStdoutOnly();
                MeshData record;
                ModelLoader().load(record, path);
            },
            ::testing::ExitedWithCode(255),
            "^Load model " + re + "\nERROR READING MESH: " + re + "\n$");
    }
}

// Every depth the game might meet, at an odd width that needs row padding, decodes to
// the right colours; the file check keeps the helper from quietly writing 24 bits.
TEST(DecodeImage24, EveryDepthBecomes24BitBgrWithPaddedRows) {
    const struct {
        Depth depth;
        FREE_IMAGE_TYPE fileType;
        unsigned fileBits;
    } cases[] = {{Depth::Palette1, FIT_BITMAP, 1}, {Depth::Palette4, FIT_BITMAP, 4},
                 {Depth::Palette8, FIT_BITMAP, 8}, {Depth::Grey8, FIT_BITMAP, 8},
                 {Depth::Rgb565, FIT_BITMAP, 16},  {Depth::Bgr24, FIT_BITMAP, 24},
                 {Depth::Bgra32, FIT_BITMAP, 32},  {Depth::Grey16, FIT_UINT16, 16},
                 {Depth::Rgb48, FIT_RGB16, 48}};
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.depth));
        const std::string path = test::writeImage(folder(), "depth.img", c.depth, 5, 3);
        FIBITMAP* file = FreeImage_Load(FreeImage_GetFileType(path.c_str(), 0), path.c_str(), 0);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(FreeImage_GetImageType(file), c.fileType);
        EXPECT_EQ(FreeImage_GetBPP(file), c.fileBits);
        FreeImage_Unload(file);
        const DecodedImage image = decodeImage24(path);
        EXPECT_EQ(image.width, 5);
        EXPECT_EQ(image.height, 3);
        test::expectPattern(image.pixels, 5, 3, 16, c.depth, true);
    }
}

// Each model the game loads, checked against a count made straight from its OBJ/MTL text:
// triangles only, 3 indices per face, the first Kd, and a texture where one is named.
TEST(ModelLoader, GameModelsMatchTheirObjText) {
    for (const char* name : {"StarSphere\\StarSphere.obj", "SpaceCube\\SpaceCube_narrow.obj",
                             "spaceship\\spaceshipTextured.obj", "spaceship\\cockpit.obj",
                             "Meteor\\Meteor.obj", "SpaceJunk\\oildrum.obj", "SpaceJunk\\slab.obj",
                             "SpaceJunk\\satellite.obj", "ground.obj"}) {
        const std::string path = std::string("Assets\\Models\\") + name;
        SCOPED_TRACE(path);
        uint32_t faces = 0;
        std::string mtllib;
        eachLine(path, [&](const std::string& tag, std::istream& in) {
            faces += tag == "f" ? 1 : 0;
            EXPECT_TRUE(tag != "f" ||
                        std::distance(std::istream_iterator<std::string>(in), {}) == 3);
            if (tag == "mtllib")
                in >> mtllib;
        });
        glm::vec3 kd(-1.0f);
        bool textured = false;
        eachLine(modelDirectory(path) + "\\" + mtllib,
                 [&](const std::string& tag, std::istream& in) {
                     if (tag == "Kd" && kd.r < 0.0f)
                         in >> kd.r >> kd.g >> kd.b;
                     textured = textured || tag == "map_Kd";
                 });
        MeshData record;
        EXPECT_EQ(load(record, path), loadedLines(path));
        EXPECT_EQ(record.indexCount, 3 * faces);
        EXPECT_LT(glm::distance(glm::vec3(record.material.diffuse), kd), 1e-6f);
        EXPECT_EQ(record.material.diffuse.a, 1.0f);
        EXPECT_EQ(record.textureWidth > 0, textured);
    }
}
