// Broken model textures and images: whatever the file holds, loading ends without a crash
// and every byte the GL upload would read lies inside the decoded image. The sanitizer
// build (make test-asan) turns any read past it into a failure. Also replays the fuzz
// seeds and the inputs the loader fuzzer found (tests/fuzz).
#include "fuzz/ModelFiles.h"
#include "gfx/Image.h"
#include "gfx/ModelLoader.h"
#include "support/TestImages.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using namespace drifthold;

namespace {

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::string> filesIn(const std::string& folder) {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.is_regular_file())
            files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

// Loads the input through the fuzzer's own road; returns the broken rule, or "".
std::string replay(const std::string& folder, const std::string& input, MeshData* record) {
    fuzz::writeFiles(folder, fuzz::split(input));
    testing::internal::CaptureStdout();
    const std::string fault = fuzz::loadAndCheck(folder);
    if (record != nullptr)
        ModelLoader().tryLoad(*record, folder + "\\" + fuzz::kModelName);
    testing::internal::GetCapturedStdout();
    return fault;
}

} // namespace

// Every seed is a readable model with a decodable texture, so the fuzzer starts from
// inputs that reach the whole loader.
TEST(LoaderFuzzInputs, SeedsLoadWithTheirTextures) {
    const std::string folder = test::tempFolder("fuzzseeds");
    const auto seeds = filesIn("tests/fuzz/corpus");
    ASSERT_GE(seeds.size(), 5u);
    for (const std::string& seed : seeds) {
        MeshData record;
        EXPECT_EQ(replay(folder, readAll(seed), &record), "") << seed;
        EXPECT_GT(record.vertexCount, 0u) << seed;
        EXPECT_GT(record.textureWidth, 0) << seed;
        EXPECT_NE(record.texturePixels, nullptr) << seed;
    }
}

TEST(LoaderFuzzInputs, FoundInputsLoadWithinBounds) {
    const std::string folder = test::tempFolder("fuzzfound");
    for (const std::string& input : filesIn("tests/fuzz/regressions"))
        EXPECT_EQ(replay(folder, readAll(input), nullptr), "") << input;
}

// A header that claims 12576 x 30218 pixels in a file of a few bytes: refused instead of
// allocating gigabytes, both as a model's texture and read on its own.
TEST(BrokenImages, AbsurdSizeInTheHeaderGivesNoImage) {
    const std::string folder = test::tempFolder("hugeheader");
    std::string tga = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    tga += {'\x20', '\x31', '\x0a', '\x76', 32, 0};
    tga += std::string(64, '\xff');
    MeshData record;
    const std::string model = "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    const std::string library = "newmtl DefaultMaterial\nmap_Kd t.img\n";
    EXPECT_EQ(replay(folder, model + "\n@@@@\n" + library + "\n@@@@\n" + tga, &record), "");
    const std::string image = folder + "/" + fuzz::kImageName;
    ASSERT_EQ(FreeImage_GetFileType(image.c_str(), 0), FIF_TARGA);
    EXPECT_EQ(record.texturePixels, nullptr);
    EXPECT_EQ(record.textureWidth, 0);
    EXPECT_EQ(decodeImage24(image).image, nullptr);
}

// Each format cut short at every interesting length, as a model's diffuse texture: no
// crash, and either no pixels or a whole padded image.
TEST(BrokenImages, TruncatedTexturesOfEveryFormatLoadSafely) {
    const std::string folder = test::tempFolder("truncated");
    FIBITMAP* image = test::makeImage(test::Depth::Bgr24, 13, 7);
    const std::string model = "mtllib m.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvt 1 0\n"
                              "vt 0 1\nf 1/1 2/2 3/3\n";
    const std::string library = "newmtl DefaultMaterial\nmap_Kd t.img\n";
    for (FREE_IMAGE_FORMAT format : {FIF_PNG, FIF_JPEG, FIF_BMP, FIF_TARGA, FIF_TIFF}) {
        const std::string whole = folder + "/whole.img";
        ASSERT_TRUE(FreeImage_Save(format, image, whole.c_str(), 0)) << format;
        const std::string bytes = readAll(whole);
        for (std::size_t length :
             {std::size_t(0), std::size_t(1), std::size_t(8), std::size_t(18), std::size_t(33),
              std::size_t(60), bytes.size() / 2, bytes.size() - 1, bytes.size()}) {
            if (length > bytes.size())
                continue;
            MeshData record;
            const std::string input =
                model + "\n@@@@\n" + library + "\n@@@@\n" + bytes.substr(0, length);
            EXPECT_EQ(replay(folder, input, &record), "")
                << "format " << format << " cut at " << length;
            EXPECT_EQ(record.indexCount, 3u);
            if (length == bytes.size()) {
                EXPECT_EQ(record.textureWidth, 13) << "format " << format;
                EXPECT_EQ(record.textureHeight, 7) << "format " << format;
            }
        }
    }
    FreeImage_Unload(image);
}
