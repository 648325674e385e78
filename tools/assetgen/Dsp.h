#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace assetgen {

// Every sound is 44.1 kHz mono; samples are doubles in [-1, 1] until they are written.
constexpr int kSampleRate = 44100;
constexpr double kPi = 3.141592653589793;
using Samples = std::vector<double>;

inline int framesFor(double seconds) {
    return int(seconds * kSampleRate + 0.5);
}

// One second of a sine, one entry per sample. A whole-number frequency read from it
// repeats exactly every second, so a one-second loop built from such partials joins
// itself without a seam, and no partial depends on how libm rounds a large argument.
class SineTable {
public:
    SineTable();
    // sin(2 pi (hz t + phase / kSampleRate)) at frame n.
    double operator()(long long hz, long long n, long long phase = 0) const;

private:
    std::vector<double> table_;
};

// A second-order filter from the usual cookbook formulas. The coefficients can be
// changed between samples for sweeps; the state carries over.
class Biquad {
public:
    void lowpass(double hz, double q);
    void highpass(double hz, double q);
    // Unit gain at the centre.
    void bandpass(double hz, double q);
    double operator()(double x);

private:
    void set(double b0, double b1, double b2, double a0, double a1, double a2);
    double b0_ = 1, b1_ = 0, b2_ = 0, a1_ = 0, a2_ = 0;
    double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

// A first-order low-pass (6 dB per octave), for rumbles and softening.
class OnePole {
public:
    explicit OnePole(double hz);
    double operator()(double x);

private:
    double a_;
    double y_ = 0;
};

double peak(const Samples& s);
// Scales the whole sound so that its largest magnitude sits at `dbfs` (below 0).
void normalisePeak(Samples& s, double dbfs);
// Raised-cosine ramps over the first or last `seconds`, so a sound starts and ends at
// zero without a click.
void fadeIn(Samples& s, double seconds);
void fadeOut(Samples& s, double seconds);

// Rounded to the nearest step and clamped to the 16-bit range.
std::vector<int16_t> toPcm16(const Samples& s);
// A canonical 44-byte-header WAV: 16-bit PCM, one channel, kSampleRate, little-endian
// whatever the host. Ends the generator when the file cannot be written.
void writeWav(const std::string& path, const std::vector<int16_t>& pcm);

} // namespace assetgen
