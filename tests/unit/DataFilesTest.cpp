// Reading the game's data files: OBJ models into MeshData records, texture images decoded to
// 24 bits, sounds decoded to mono 16-bit samples; what each accepts, what it refuses and why,
// and the replay of the broken and absurd inputs under tests/fuzz.
#include "audio/SoundFile.h"
#include "fuzz/ModelFiles.h"
#include "gfx/Image.h"
#include "gfx/ModelLoader.h"
#include "support/Capture.h"
#include "support/Files.h"

#include <FreeImage.h>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <string>
#include <thread>
#include <utility>
#include <vector>

using namespace drifthold;

namespace {

std::string folder() {
    static const std::string f = test::tempFolder("models");
    return f;
}

std::string write(const std::string& name, const std::string& text) {
    return test::writeFile(folder(), name, text);
}

// Loads `path` into `record`, returning what the loader printed.
std::string load(MeshData& record, const std::string& path) {
    return test::stdoutOf([&] { ModelLoader().load(record, path); });
}

std::string loadedLines(const std::string& path) {
    return "Load model " + path + "\nModel " + path + " loaded\n";
}

const char* kTriangle = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0.25 0.5\nvt 1 0\nvt 0 1\n"
                        "f 1/1 2/2 3/3\n";

// The first `n` samples of the pattern the corpus generator and these tests write.
std::vector<int16_t> pattern(size_t n) {
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] = int16_t(int(i * 1237 % 20000) - 10000);
    return samples;
}

} // namespace

// Bounds start from +-max, not 0, and widen each axis on its own, the first vertex too;
// quads are not triangulated (no index list) but their vertices still count.
TEST(ModelLoader, BoundsWidenEachAxisOnItsOwnAndQuadsGiveNoIndices) {
    MeshData single, quads;
    load(single, write("single.obj", "v 1.5 -2 3\np 1\n# one point\n"));
    EXPECT_TRUE(single.boundsMin == glm::vec3(1.5f, -2, 3) && single.boundsMax == single.boundsMin);
    load(quads, write("quads.obj", "v -1 0 -1\nv 1 0 -1\nv 1 0 1\nv -1 -3 1\nv -1 2 -1\n"
                                   "v 1 2 -2\nf 1 2 3 4\nf 1 2 6 5\n"));
    EXPECT_TRUE(quads.boundsMin == glm::vec3(-1, -3, -2) && quads.boundsMax == glm::vec3(1, 2, 1));
    EXPECT_TRUE(quads.vertexCount == 6 && quads.indexCount == 0 && quads.indices.empty());
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

    // Shininess is taken within 0..128, ends included; out of range the new record's 0 stays.
    const std::pair<std::string, float> shininess[] = {{"128", 128}, {"128.5", 0}, {"-0.5", 0}};
    for (const auto& [ns, expected] : shininess) {
        write("ns.mtl", "newmtl DefaultMaterial\nNs " + ns + "\n");
        MeshData shiny;
        load(shiny, write("ns" + ns + ".obj", "mtllib ns.mtl\n" + std::string(kTriangle)));
        EXPECT_EQ(shiny.material.shininess, expected) << "Ns " << ns;
    }
}

// A read that throws, on the reading thread or not, fails the way an unreadable file does:
// its error line and false, never std::terminate. Files read ahead twice are read once.
TEST(ModelLoader, AReadThatThrowsFailsLikeAnUnreadableFile) {
    ModelLoader::ReadFunction throwing = [](const std::string& path) -> ModelLoader::Reading {
        if (path.find("bad") != std::string::npos)
            throw std::bad_alloc();
        ModelLoader::Reading reading;
        reading.ok = true;
        reading.record.vertexCount = 7;
        return reading;
    };
    {
        // Gone while its reader still reads: it waits for the reader instead of ending the
        // process.
        ModelLoader early([](const std::string&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            return ModelLoader::Reading();
        });
        early.prefetch({"slow.obj"});
    }
    for (bool ahead : {false, true}) {
        ModelLoader loader(throwing);
        if (ahead) {
            loader.prefetch({"good.obj", "bad.obj"});
            loader.prefetch({"bad.obj", "other.obj"});
        }
        MeshData record;
        const test::Output output = test::captured([&] {
            EXPECT_FALSE(loader.tryLoad(record, "bad.obj"));
            EXPECT_TRUE(loader.tryLoad(record, "good.obj"));
        });
        EXPECT_EQ(output.out,
                  "Load model bad.obj\nERROR READING MESH: bad.obj\n" + loadedLines("good.obj"));
        EXPECT_EQ(record.vertexCount, 7u);
    }
}

// The fuzz seeds and found inputs replay within bounds: among them every image format cut
// short at any length, empty or not an image at all. The found TGA whose header claims
// gigabytes is refused before FreeImage allocates them.
TEST(ModelLoader, FuzzInputsReplayWithinBoundsAndAbsurdSizesAreRefused) {
    const std::string dir = test::tempFolder("fuzz");
    for (const char* inputs : {"tests/fuzz/corpus", "tests/fuzz/regressions"})
        for (const auto& input : std::filesystem::directory_iterator(inputs)) {
            fuzz::writeFiles(dir, fuzz::split(test::readFile(input.path().string())));
            std::string problems;
            test::captured([&] { problems = fuzz::loadAndCheck(dir); });
            EXPECT_EQ(problems, "") << input.path();
        }
    fuzz::writeFiles(
        dir, fuzz::split(test::readFile("tests/fuzz/regressions/tga_header_claims_gigabytes")));
    const std::string image = dir + "/" + fuzz::kImageName;
    ASSERT_EQ(FreeImage_GetFileType(image.c_str(), 0), FIF_TARGA);
    EXPECT_EQ(decodeImage24(image).image, nullptr);
}

// Mono 16-bit PCM WAV from 8 to 192 kHz and up to 30 s decodes sample for sample at its own
// rate; anything else is refused with the reason, and no samples.
TEST(SoundFile, DecodesMono16BitWavAndRefusesEverythingElseSayingWhy) {
    const std::string folder = test::tempFolder("sounds");
    // Writes `frames` frames of the pattern with libsndfile; returns the path.
    auto write = [&](const std::string& name, int rate, sf_count_t frames) {
        SF_INFO info{0, rate, 1, SF_FORMAT_WAV | SF_FORMAT_PCM_16, 0, 0};
        SNDFILE* file = sf_open((folder + "/" + name).c_str(), SFM_WRITE, &info);
        sf_writef_short(file, pattern(size_t(frames)).data(), frames);
        sf_close(file);
        return folder + "/" + name;
    };
    // Thirty seconds exactly is still a sound.
    for (auto [rate, frames] : {std::pair(kMinSoundRate, 83),
                                {22050, 223},
                                {kMaxSoundRate, 1923},
                                {8000, 8000 * kMaxSoundSeconds}}) {
        const DecodedSound sound =
            decodeSound(write(std::to_string(frames) + ".wav", rate, frames));
        EXPECT_EQ(sound.refusal, "") << rate;
        EXPECT_EQ(sound.rate, rate);
        EXPECT_TRUE(sound.samples == pattern(size_t(frames))) << rate;
    }
    std::filesystem::create_directories(folder + "/folder.wav");
    const std::string corpus = "tests/fuzz/sounds/";
    const std::pair<std::string, std::string> refused[] = {
        {folder + "/nothing-here.wav", "missing"},
        {folder + "/folder.wav", "not a file"},
        {corpus + "empty.wav", "empty"},
        {corpus + "pcm8.wav", "Unsigned 8 bit PCM samples, not 16-bit PCM"},
        {corpus + "float32.wav", "32 bit float samples, not 16-bit PCM"},
        {corpus + "au_pcm16_mono.wav", "not a WAV file"},
        {write("slow.wav", kMinSoundRate - 1, 100), "a rate of 7999 Hz"},
        {write("fast.wav", kMaxSoundRate + 1, 100), "a rate of 192001 Hz"},
        {write("silent.wav", 44100, 0), "no samples"},
        {write("too-long.wav", 8000, 8000 * kMaxSoundSeconds + 1), "longer than 30 s"},
    };
    for (const auto& [path, why] : refused) {
        const DecodedSound sound = decodeSound(path);
        EXPECT_EQ(sound.refusal, why) << path;
        EXPECT_EQ(sound.missing, why == "missing") << path;
        EXPECT_TRUE(sound.samples.empty() && sound.rate == 0) << path;
    }
}

// Every file of the corpus goes through the decoder (under AddressSanitizer in make
// test-asan): those named ok_ hold 16 frames of the pattern at 44100 Hz, whatever else
// their header claims; every other one is refused with a reason and no samples.
TEST(SoundFile, CorpusOfBrokenHeadersIsRefusedWithoutHarm) {
    size_t decoded = 0, refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator("tests/fuzz/sounds")) {
        const std::string name = entry.path().filename().string();
        const DecodedSound sound = decodeSound(entry.path().string());
        const bool ok = name.rfind("ok_", 0) == 0;
        ++(ok ? decoded : refused);
        EXPECT_EQ(sound.refusal.empty(), ok) << name << ": " << sound.refusal;
        EXPECT_EQ(sound.rate, ok ? 44100 : 0) << name;
        EXPECT_TRUE(sound.samples == pattern(ok ? 16 : 0)) << name;
    }
    EXPECT_GE(decoded, 3u);
    EXPECT_GE(refused, 20u);
}
