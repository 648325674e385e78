// The sound kit and the recipes: the WAV bytes the game's decoder reads, the filters the
// recipes lean on, and what each sound must keep to be heard as meant (a loop without a
// seam, the chime's pitch, levels under full scale, quiet ends).
#include "Sounds.h"
#include "Dsp.h"
#include "support/Files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

using namespace assetgen;

namespace {

// The amplitude of the `hz` component of s[from, to), as a sine of that amplitude would give.
double amplitudeAt(const Samples& s, double hz, size_t from, size_t to) {
    std::complex<double> sum;
    for (size_t i = from; i < to; ++i)
        sum += s[i] * std::polar(1.0, 2.0 * kPi * hz * double(i) / kSampleRate);
    return 2.0 * std::abs(sum) / double(to - from);
}

// The strongest whole-number frequency in [lo, hi] over s[from, to).
int dominantHz(const Samples& s, int lo, int hi, size_t from, size_t to) {
    std::vector<double> amplitudes;
    for (int hz = lo; hz <= hi; ++hz)
        amplitudes.push_back(amplitudeAt(s, hz, from, to));
    return lo + int(std::max_element(amplitudes.begin(), amplitudes.end()) - amplitudes.begin());
}

// Over [from, to) seconds, or what of it the sound has.
double rms(const Samples& s, double fromSeconds, double toSeconds) {
    const int to = std::min(int(s.size()), framesFor(toSeconds));
    const int from = std::min(to, framesFor(fromSeconds));
    const auto begin = s.begin() + from;
    return std::sqrt(std::inner_product(begin, s.begin() + to, begin, 0.0) /
                     std::max(1, to - from));
}

// The share of the energy below `hz`, by a first-order low-pass.
double shareBelow(const Samples& s, double hz) {
    OnePole low(hz);
    double below = 0.0;
    for (double v : s)
        below += std::pow(low(v), 2);
    return below / std::inner_product(s.begin(), s.end(), s.begin(), 0.0);
}

// What a sine of `hz` comes out as, in amplitude, once the filter has settled.
template <class Filter> double gainAt(Filter filter, double hz) {
    Samples out;
    for (int i = 0; i < kSampleRate / 2; ++i)
        out.push_back(filter(std::sin(2.0 * kPi * hz * i / kSampleRate)));
    return amplitudeAt(out, hz, out.size() / 2, out.size());
}

} // namespace

// A canonical 44-byte header, then the samples little-endian; samples round to the nearest
// step and clamp at full scale.
TEST(WavWriterTest, WritesACanonicalHeaderAndRoundedClampedSamples) {
    const std::string path = drifthold::test::tempFolder("wav") + "/a.wav";
    writeWav(path, {0, 1, -2, 0x1234, -32768});
    EXPECT_EQ(drifthold::test::readFile(path),
              std::string("RIFF\x2e\0\0\0WAVE", 12) +                     // 46 more bytes
                  std::string("fmt \x10\0\0\0\1\0\1\0", 12) +             // 16 bytes: PCM, mono,
                  std::string("\x44\xac\0\0\x88\x58\1\0\2\0\x10\0", 12) + // 44100 Hz, 16 bits
                  std::string("data\x0a\0\0\0\0\0\1\0\xfe\xff\x34\x12\0\x80", 18));
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

// Each file as long as meant, peaking at -3 dBFS; every sound but the loop starts and ends
// quietly. The engine loops without a seam around a clear fundamental.
TEST(SoundsTest, EverySoundPeaksAtMinus3DbfsLastsAsMeantAndTheEngineLoops) {
    const std::pair<const char*, double> lengths[] = {
        {"engine.wav", 1.0},       {"turn.wav", 0.22},       {"chime.wav", 1.1},
        {"crash-meteor.wav", 1.2}, {"crash-trail.wav", 0.8}, {"click.wav", 0.04}};
    ASSERT_EQ(soundRecipes().size(), std::size(lengths));
    for (size_t i = 0; i < std::size(lengths); ++i) {
        const auto& [file, seconds] = lengths[i];
        const Samples s = soundRecipes()[i].make();
        EXPECT_STREQ(soundRecipes()[i].file, file);
        EXPECT_EQ(s.size(), size_t(framesFor(seconds))) << file;
        EXPECT_NEAR(20.0 * std::log10(peak(s)), kPeakDbfs, 0.01) << file;
        EXPECT_TRUE(i == 0 || (std::fabs(s.front()) < 0.01 && std::fabs(s.back()) < 0.001))
            << file << " starts at " << s.front() << ", ends at " << s.back();
    }
    // Played in a loop, the wave must move across the join as it moves anywhere inside:
    // no step and no bend there larger than the largest within the second.
    const Samples s = engineLoop();
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
    const double fundamental = amplitudeAt(s, kEngineHz, 0, n);
    EXPECT_EQ(dominantHz(s, 40, 600, 0, n), kEngineHz);
    for (int h = 2; h <= 10; ++h)
        EXPECT_GT(fundamental, 2.0 * amplitudeAt(s, kEngineHz * h, 0, n)) << h;
    // The noise bed stays a bed: far under the fundamental between the harmonics.
    EXPECT_LT(amplitudeAt(s, kEngineHz * 1.5, 0, n), 0.05 * fundamental);
}

// The chime strikes at once on its first note, then its fifth joins. The meteor crash is
// low and heavy, the trail crash bright; both hit at once. Everything dies away; the turn
// swells and fades rather than hitting.
TEST(SoundsTest, EachSoundHasItsPitchAndShape) {
    const Samples chime = assetgen::chime(), meteor = crashMeteor(), trail = crashTrail();
    const size_t strike = size_t(framesFor(0.06)), from = framesFor(0.1), to = framesFor(0.3);
    EXPECT_NEAR(dominantHz(chime, 200, 8000, 0, strike), kChimeHz, 20.0);
    EXPECT_LT(amplitudeAt(chime, kChimeHz * 1.5, 0, strike),
              0.05 * amplitudeAt(chime, kChimeHz, 0, strike));
    EXPECT_GT(amplitudeAt(chime, kChimeHz * 1.5, from, to),
              0.3 * amplitudeAt(chime, kChimeHz, from, to));
    EXPECT_GT(shareBelow(meteor, 200.0), 0.5);
    EXPECT_LT(shareBelow(trail, 200.0), 0.3);
    EXPECT_GT(rms(chime, 0.002, 0.006), 0.5 * rms(chime, 0.006, 0.06)); // loud within 2 ms
    EXPECT_GT(rms(meteor, 0.0, 0.01), 0.3 * rms(meteor, 0.01, 0.2));    // the hit at once
    EXPECT_GT(rms(trail, 0.0, 0.01), 0.3 * rms(trail, 0.01, 0.2));
    EXPECT_LT(rms(chime, 1.0, 1.1), 0.05 * rms(chime, 0.0, 0.1));
    EXPECT_LT(rms(meteor, 1.0, 1.2), 0.15 * rms(meteor, 0.0, 0.2));
    EXPECT_LT(rms(trail, 0.6, 0.8), 0.15 * rms(trail, 0.0, 0.2));
    const Samples c = click(), t = turnWhoosh();
    EXPECT_LT(rms(c, 0.02, 0.04), 0.1 * rms(c, 0.0, 0.01));
    EXPECT_LT(rms(t, 0.0, 0.01), 0.3 * rms(t, 0.06, 0.14));
    EXPECT_LT(rms(t, 0.2, 0.22), 0.3 * rms(t, 0.06, 0.14));
}
