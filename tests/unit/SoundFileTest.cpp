// Decoding sound files: what the game accepts, what it refuses and why, and the replay of
// the broken and absurd headers in tests/fuzz/sounds.
#include "audio/SoundFile.h"
#include "support/Files.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

using namespace drifthold;

namespace {

// The first `n` samples of the pattern the corpus generator and these tests write.
std::vector<int16_t> pattern(size_t n) {
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] = int16_t(int(i * 1237 % 20000) - 10000);
    return samples;
}

} // namespace

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
        {corpus + "text.wav", "unreadable (libsndfile: Format not recognised)"},
        {corpus + "stereo.wav", "2 channels, not mono"},
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
