// The sound kit and the recipes: the WAV bytes the game's decoder reads, the filters the
// recipes lean on, and what each sound must keep to be heard as meant (a loop without a
// seam, the chime's pitch, levels under full scale, quiet ends).
#include "Sounds.h"
#include "Dsp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

using namespace assetgen;

namespace {

// The amplitude of the `hz` component of s[from, to), as a sine of that amplitude would give.
double amplitudeAt(const Samples& s, double hz, size_t from, size_t to) {
    const double w = 2.0 * kPi * hz / kSampleRate;
    double re = 0.0, im = 0.0;
    for (size_t i = from; i < to; ++i) {
        re += s[i] * std::cos(w * double(i));
        im -= s[i] * std::sin(w * double(i));
    }
    return 2.0 * std::sqrt(re * re + im * im) / double(to - from);
}

// The strongest whole-number frequency in [lo, hi] over s[from, to).
double dominantHz(const Samples& s, int lo, int hi, size_t from, size_t to) {
    int best = lo;
    double bestAmplitude = -1.0;
    for (int hz = lo; hz <= hi; ++hz) {
        const double a = amplitudeAt(s, hz, from, to);
        if (a > bestAmplitude) {
            bestAmplitude = a;
            best = hz;
        }
    }
    return best;
}

double rms(const Samples& s, double fromSeconds, double toSeconds) {
    const size_t from = size_t(framesFor(fromSeconds));
    const size_t to = std::min(s.size(), size_t(framesFor(toSeconds)));
    double sum = 0.0;
    for (size_t i = from; i < to; ++i)
        sum += s[i] * s[i];
    return std::sqrt(sum / double(to - from));
}

// The share of the energy below `hz`, by a first-order low-pass.
double shareBelow(const Samples& s, double hz) {
    OnePole low(hz);
    double all = 0.0, below = 0.0;
    for (double v : s) {
        const double l = low(v);
        all += v * v;
        below += l * l;
    }
    return below / all;
}

// What a sine of `hz` comes out as, in amplitude, once the filter has settled.
template <class Filter> double gainAt(Filter filter, double hz) {
    Samples out;
    for (int i = 0; i < kSampleRate / 2; ++i)
        out.push_back(filter(std::sin(2.0 * kPi * hz * i / kSampleRate)));
    return amplitudeAt(out, hz, out.size() / 2, out.size());
}

} // namespace

TEST(WavWriterTest, WritesACanonical16BitMonoHeaderAndLittleEndianSamples) {
    const std::string path = (std::filesystem::temp_directory_path() /
                              ("assetgen_test_wav_" + std::to_string(getpid()) + ".wav"))
                                 .string();
    writeWav(path, {0, 1, -2, 0x1234, -32768});
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes{std::istreambuf_iterator<char>(in), {}};
    std::filesystem::remove(path);
    const std::vector<unsigned char> expected = {
        'R',  'I',  'F',  'F', 46, 0, 0,    0,    'W',  'A',  'V',  'E',  'f', 'm',
        't',  ' ',  16,   0,   0,  0, 1,    0,    1,    0,    0x44, 0xAC, 0,   0,
        0x88, 0x58, 0x01, 0,   2,  0, 16,   0,    'd',  'a',  't',  'a',  10,  0,
        0,    0,    0,    0,   1,  0, 0xFE, 0xFF, 0x34, 0x12, 0x00, 0x80};
    EXPECT_EQ(bytes, expected);
}

TEST(WavWriterTest, SamplesRoundToTheNearestStepAndClampAtFullScale) {
    EXPECT_EQ(toPcm16({0.0, 1.0, -1.0, 1.5, -1.5, 0.6 / 32767.0, -0.6 / 32767.0, 0.4 / 32767.0}),
              (std::vector<int16_t>{0, 32767, -32767, 32767, -32768, 1, -1, 0}));
}

TEST(DspTest, TheSineTableIsASineWithWholeSecondPeriod) {
    const SineTable sine;
    for (long long n : {0LL, 1LL, 37LL, 12345LL, 44099LL}) {
        const double t = double(n) / kSampleRate;
        EXPECT_NEAR(sine(110, n), std::sin(2.0 * kPi * 110.0 * t), 1e-9) << n;
        EXPECT_NEAR(sine(3, n, 441), std::sin(2.0 * kPi * (3.0 * t + 0.01)), 1e-9) << n;
        EXPECT_DOUBLE_EQ(sine(110, n), sine(110, n + kSampleRate)) << n;
    }
    EXPECT_NEAR(sine(1, 0, -11025), -1.0, 1e-12); // a negative phase wraps, a quarter back
}

TEST(DspTest, FiltersPassAndStopWhereTheirNamesSay) {
    Biquad low, high, band;
    low.lowpass(500.0, 0.7071);
    high.highpass(2000.0, 0.7071);
    band.bandpass(1000.0, 2.0);
    EXPECT_NEAR(gainAt(low, 60.0), 1.0, 0.02);
    EXPECT_LT(gainAt(low, 5000.0), 0.02);
    EXPECT_NEAR(gainAt(high, 12000.0), 1.0, 0.02);
    EXPECT_LT(gainAt(high, 200.0), 0.02);
    EXPECT_NEAR(gainAt(band, 1000.0), 1.0, 0.01);
    EXPECT_LT(gainAt(band, 150.0), 0.1);
    EXPECT_LT(gainAt(band, 7000.0), 0.1);
    EXPECT_NEAR(gainAt(OnePole(200.0), 20.0), 1.0, 0.02);
    EXPECT_NEAR(gainAt(OnePole(200.0), 200.0), std::sqrt(0.5), 0.05); // -3 dB at the corner
    EXPECT_LT(gainAt(OnePole(200.0), 8000.0), 0.05);
}

TEST(DspTest, FadesReachZeroAtTheEndsAndNormalisingSetsThePeak) {
    Samples s(1000, -0.25);
    s[500] = 0.5;
    normalisePeak(s, -6.0);
    EXPECT_NEAR(peak(s), std::pow(10.0, -6.0 / 20.0), 1e-12);
    EXPECT_NEAR(s[0], -0.25 * std::pow(10.0, -6.0 / 20.0) / 0.5, 1e-12); // scaled as a whole
    fadeIn(s, 100.0 / kSampleRate);
    fadeOut(s, 100.0 / kSampleRate);
    EXPECT_EQ(s.front(), 0.0);
    EXPECT_EQ(s.back(), 0.0);
    for (int i = 1; i < 100; ++i) {
        EXPECT_LT(std::fabs(s[i - 1]), std::fabs(s[i])) << i;
        EXPECT_LT(std::fabs(s[s.size() - i]), std::fabs(s[s.size() - 1 - i])) << i;
    }
    EXPECT_EQ(s[100], s[899]); // untouched in between
}

TEST(SoundsTest, EverySoundPeaksAtMinus3DbfsAndLastsAboutAsLongAsMeant) {
    const struct {
        const char* file;
        double seconds;
    } lengths[] = {{"engine.wav", 1.0},       {"turn.wav", 0.22},       {"chime.wav", 1.1},
                   {"crash-meteor.wav", 1.2}, {"crash-trail.wav", 0.8}, {"click.wav", 0.04}};
    ASSERT_EQ(soundRecipes().size(), std::size(lengths));
    for (size_t i = 0; i < std::size(lengths); ++i) {
        const SoundRecipe& recipe = soundRecipes()[i];
        SCOPED_TRACE(recipe.file);
        EXPECT_STREQ(recipe.file, lengths[i].file);
        const Samples s = recipe.make();
        EXPECT_EQ(s.size(), size_t(framesFor(lengths[i].seconds)));
        EXPECT_NEAR(20.0 * std::log10(peak(s)), kPeakDbfs, 0.01);
        int loudest = 0;
        for (int16_t v : toPcm16(s))
            loudest = std::max(loudest, std::abs(int(v)));
        EXPECT_LT(loudest, 32767 * 0.72);
        if (std::string(recipe.file) != "engine.wav") { // a loop has no ends
            EXPECT_LT(std::fabs(s.front()), 0.01);
            EXPECT_LT(std::fabs(s.back()), 0.001);
        }
    }
}

TEST(SoundsTest, TheEngineLoopsWithoutASeamAroundAClearFundamental) {
    const Samples s = engineLoop();
    ASSERT_EQ(s.size(), size_t(kSampleRate));
    // Played in a loop, the wave must move across the join as it moves anywhere inside:
    // no step and no bend there larger than the largest within the second.
    const size_t n = s.size();
    auto at = [&](size_t i) { return s[i % n]; };
    double step = 0.0, bend = 0.0;
    for (size_t i = 1; i + 1 < n; ++i) {
        step = std::max(step, std::fabs(at(i) - at(i - 1)));
        bend = std::max(bend, std::fabs(at(i + 1) - 2.0 * at(i) + at(i - 1)));
    }
    EXPECT_LE(std::fabs(at(n) - at(n - 1)), step);
    EXPECT_LE(std::fabs(at(n) - 2.0 * at(n - 1) + at(n - 2)), bend);
    EXPECT_LE(std::fabs(at(n + 1) - 2.0 * at(n) + at(n - 1)), bend);
    const double fundamental = amplitudeAt(s, kEngineHz, 0, s.size());
    EXPECT_EQ(dominantHz(s, 40, 600, 0, s.size()), kEngineHz);
    for (int h = 2; h <= 10; ++h)
        EXPECT_GT(fundamental, 2.0 * amplitudeAt(s, kEngineHz * h, 0, s.size())) << h;
    // The noise bed stays a bed: far under the fundamental between the harmonics.
    EXPECT_LT(amplitudeAt(s, kEngineHz * 1.5, 0, s.size()), 0.05 * fundamental);
}

TEST(SoundsTest, TheChimeStrikesQuicklyOnItsFirstNoteThenItsFifthAndDiesAway) {
    const Samples s = chime();
    const size_t strike = size_t(framesFor(0.06));
    EXPECT_NEAR(dominantHz(s, 200, 8000, 0, strike), kChimeHz, 20.0);
    const double second = kChimeHz * 1.5;
    EXPECT_LT(amplitudeAt(s, second, 0, strike), 0.05 * amplitudeAt(s, kChimeHz, 0, strike));
    EXPECT_GT(amplitudeAt(s, second, framesFor(0.1), framesFor(0.3)),
              0.3 * amplitudeAt(s, kChimeHz, framesFor(0.1), framesFor(0.3)));
    EXPECT_GT(rms(s, 0.002, 0.006), 0.5 * rms(s, 0.006, 0.06)); // loud within 2 ms
    EXPECT_LT(rms(s, 1.0, 1.1), 0.05 * rms(s, 0.0, 0.1));
}

TEST(SoundsTest, TheMeteorCrashIsLowAndHeavyTheTrailCrashBrightAndBothDecay) {
    const Samples meteor = crashMeteor(), trail = crashTrail();
    EXPECT_GT(shareBelow(meteor, 200.0), 0.5);
    EXPECT_LT(shareBelow(trail, 200.0), 0.3);
    EXPECT_GT(shareBelow(meteor, 200.0), 2.0 * shareBelow(trail, 200.0));
    EXPECT_LT(rms(meteor, 1.0, 1.2), 0.15 * rms(meteor, 0.0, 0.2));
    EXPECT_LT(rms(trail, 0.6, 0.8), 0.15 * rms(trail, 0.0, 0.2));
    EXPECT_GT(rms(meteor, 0.0, 0.01), 0.3 * rms(meteor, 0.01, 0.2)); // the hit is at once
    EXPECT_GT(rms(trail, 0.0, 0.01), 0.3 * rms(trail, 0.01, 0.2));
}

TEST(SoundsTest, TheClickAndTheTurnAreShortAndSoft) {
    const Samples c = click(), t = turnWhoosh();
    EXPECT_LT(rms(c, 0.02, 0.04), 0.1 * rms(c, 0.0, 0.01));
    // The whoosh swells and fades rather than hitting: quiet at both ends, loud inside.
    EXPECT_LT(rms(t, 0.0, 0.01), 0.3 * rms(t, 0.06, 0.14));
    EXPECT_LT(rms(t, 0.2, 0.22), 0.3 * rms(t, 0.06, 0.14));
}
