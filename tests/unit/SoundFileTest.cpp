// Decoding sound files: what the game accepts, what it refuses and why, and the replay of
// the broken and absurd headers in tests/fuzz/sounds.
#include "audio/SoundFile.h"
#include "support/Files.h"

#include <gtest/gtest.h>
#include <sndfile.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

using namespace drifthold;

namespace {

std::string folder() {
    static const std::string f = test::tempFolder("sounds");
    return f;
}

// The pattern the corpus generator and these tests fill 16-bit samples with.
int16_t patternSample(size_t i) {
    return int16_t(int(i * 1237 % 20000) - 10000);
}

// Writes `frames` frames of the pattern with libsndfile; returns the path.
std::string writeSound(const std::string& name, int format, int channels, int rate,
                       sf_count_t frames) {
    const std::string path = folder() + "/" + name;
    SF_INFO info{};
    info.format = format;
    info.channels = channels;
    info.samplerate = rate;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << name << ": " << sf_strerror(nullptr);
    if (!file)
        return path;
    std::vector<short> samples(size_t(frames * channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = patternSample(i);
    sf_writef_short(file, samples.data(), frames);
    sf_close(file);
    return path;
}

const int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

} // namespace

TEST(SoundFile, DecodesMono16BitWavSampleForSampleAtItsOwnRate) {
    for (int rate : {kMinSoundRate, 22050, kMaxSoundRate}) {
        const DecodedSound sound =
            decodeSound(writeSound("mono.wav", kWav16, 1, rate, rate / 100 + 3));
        ASSERT_EQ(sound.refusal, "") << rate;
        EXPECT_EQ(sound.rate, rate);
        ASSERT_EQ(sound.samples.size(), size_t(rate / 100 + 3));
        for (size_t i = 0; i < sound.samples.size(); ++i)
            ASSERT_EQ(sound.samples[i], patternSample(i)) << rate << " Hz, frame " << i;
    }
    // Thirty seconds exactly is still a sound.
    EXPECT_EQ(decodeSound(writeSound("long.wav", kWav16, 1, 8000, 8000 * 30)).refusal, "");
}

TEST(SoundFile, RefusesEverythingElseSayingWhy) {
    std::filesystem::create_directories(folder() + "/folder.wav");
    std::ofstream(folder() + "/empty.wav").flush();
    const struct {
        std::string path, reason;
    } cases[] = {
        {folder() + "/nothing-here.wav", "missing"},
        {folder() + "/folder.wav", "not a file"},
        {folder() + "/empty.wav", "empty"},
        {writeSound("stereo.wav", kWav16, 2, 44100, 100), "2 channels, not mono"},
        {writeSound("u8.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1, 44100, 100),
         "Unsigned 8 bit PCM samples, not 16-bit PCM"},
        {writeSound("float.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 1, 44100, 100),
         "32 bit float samples, not 16-bit PCM"},
        {writeSound("sound.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 1, 44100, 100),
         "not a WAV file"},
        {writeSound("slow.wav", kWav16, 1, kMinSoundRate - 1, 100), "a rate of 7999 Hz"},
        {writeSound("fast.wav", kWav16, 1, kMaxSoundRate + 1, 100), "a rate of 192001 Hz"},
        {writeSound("silent.wav", kWav16, 1, 44100, 0), "no samples"},
        {writeSound("too-long.wav", kWav16, 1, 8000, 8000 * 30 + 1), "longer than 30 s"},
    };
    for (const auto& c : cases) {
        const DecodedSound sound = decodeSound(c.path);
        EXPECT_EQ(sound.refusal, c.reason) << c.path;
        EXPECT_EQ(sound.missing, c.reason == "missing") << c.path;
        EXPECT_TRUE(sound.samples.empty()) << c.path;
    }
    std::ofstream(folder() + "/text.wav") << "RIFF, but nothing after it";
    EXPECT_EQ(decodeSound(folder() + "/text.wav").refusal,
              "unreadable (libsndfile: Format not recognised)");
}

// Every file of the corpus goes through the decoder (under AddressSanitizer in make
// test-asan): those named ok_ hold 16 frames of the pattern at 44100 Hz, whatever else
// their header claims; every other one is refused with a reason and no samples.
TEST(SoundFile, CorpusOfBrokenHeadersIsRefusedWithoutHarm) {
    size_t decoded = 0, refused = 0;
    for (const auto& entry : std::filesystem::directory_iterator("tests/fuzz/sounds")) {
        const std::string name = entry.path().filename().string();
        const DecodedSound sound = decodeSound(entry.path().string());
        if (name.rfind("ok_", 0) == 0) {
            ++decoded;
            ASSERT_EQ(sound.refusal, "") << name;
            EXPECT_EQ(sound.rate, 44100) << name;
            ASSERT_EQ(sound.samples.size(), 16u) << name;
            for (size_t i = 0; i < 16; ++i)
                EXPECT_EQ(sound.samples[i], patternSample(i)) << name << ", frame " << i;
        } else {
            ++refused;
            EXPECT_NE(sound.refusal, "") << name;
            EXPECT_TRUE(sound.samples.empty() && sound.rate == 0) << name;
        }
    }
    EXPECT_GE(decoded, 3u);
    EXPECT_GE(refused, 20u);
}
