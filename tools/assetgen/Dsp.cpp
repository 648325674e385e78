#include "Dsp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace assetgen {

SineTable::SineTable() : table_(kSampleRate) {
    for (int k = 0; k < kSampleRate; ++k)
        table_[k] = std::sin(2.0 * kPi * k / kSampleRate);
}

double SineTable::operator()(long long hz, long long n, long long phase) const {
    const long long k = (hz * n + phase) % kSampleRate;
    return table_[size_t(k < 0 ? k + kSampleRate : k)];
}

void Biquad::set(double b0, double b1, double b2, double a0, double a1, double a2) {
    b0_ = b0 / a0;
    b1_ = b1 / a0;
    b2_ = b2 / a0;
    a1_ = a1 / a0;
    a2_ = a2 / a0;
}

void Biquad::lowpass(double hz, double q) {
    const double w = 2.0 * kPi * hz / kSampleRate;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    set((1.0 - c) / 2.0, 1.0 - c, (1.0 - c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void Biquad::highpass(double hz, double q) {
    const double w = 2.0 * kPi * hz / kSampleRate;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    set((1.0 + c) / 2.0, -(1.0 + c), (1.0 + c) / 2.0, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

void Biquad::bandpass(double hz, double q) {
    const double w = 2.0 * kPi * hz / kSampleRate;
    const double c = std::cos(w), alpha = std::sin(w) / (2.0 * q);
    set(alpha, 0.0, -alpha, 1.0 + alpha, -2.0 * c, 1.0 - alpha);
}

double Biquad::operator()(double x) {
    const double y = b0_ * x + b1_ * x1_ + b2_ * x2_ - a1_ * y1_ - a2_ * y2_;
    x2_ = x1_;
    x1_ = x;
    y2_ = y1_;
    y1_ = y;
    return y;
}

OnePole::OnePole(double hz) : a_(std::exp(-2.0 * kPi * hz / kSampleRate)) {}

double OnePole::operator()(double x) {
    y_ = (1.0 - a_) * x + a_ * y_;
    return y_;
}

double peak(const Samples& s) {
    double p = 0.0;
    for (double v : s)
        p = std::max(p, std::fabs(v));
    return p;
}

void normalisePeak(Samples& s, double dbfs) {
    const double p = peak(s);
    if (p == 0.0)
        return;
    const double scale = std::pow(10.0, dbfs / 20.0) / p;
    for (double& v : s)
        v *= scale;
}

namespace {

double rampGain(size_t i, size_t n) {
    return 0.5 - 0.5 * std::cos(kPi * double(i) / double(n));
}

} // namespace

void fadeIn(Samples& s, double seconds) {
    const size_t n = std::min(s.size(), size_t(framesFor(seconds)));
    for (size_t i = 0; i < n; ++i)
        s[i] *= rampGain(i, n);
}

void fadeOut(Samples& s, double seconds) {
    const size_t n = std::min(s.size(), size_t(framesFor(seconds)));
    for (size_t i = 0; i < n; ++i)
        s[s.size() - 1 - i] *= rampGain(i, n);
}

std::vector<int16_t> toPcm16(const Samples& s) {
    std::vector<int16_t> pcm(s.size());
    for (size_t i = 0; i < s.size(); ++i)
        pcm[i] = int16_t(std::clamp(std::lround(s[i] * 32767.0), -32768L, 32767L));
    return pcm;
}

namespace {

void put16(std::vector<unsigned char>& out, unsigned v) {
    out.push_back(static_cast<unsigned char>(v & 0xFF));
    out.push_back(static_cast<unsigned char>((v >> 8) & 0xFF));
}

void put32(std::vector<unsigned char>& out, unsigned v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void putTag(std::vector<unsigned char>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

} // namespace

void writeWav(const std::string& path, const std::vector<int16_t>& pcm) {
    const unsigned dataBytes = unsigned(pcm.size() * 2);
    std::vector<unsigned char> bytes;
    bytes.reserve(44 + dataBytes);
    putTag(bytes, "RIFF");
    put32(bytes, 36 + dataBytes);
    putTag(bytes, "WAVE");
    putTag(bytes, "fmt ");
    put32(bytes, 16);
    put16(bytes, 1); // PCM
    put16(bytes, 1); // mono
    put32(bytes, kSampleRate);
    put32(bytes, kSampleRate * 2); // bytes per second
    put16(bytes, 2);               // bytes per frame
    put16(bytes, 16);              // bits per sample
    putTag(bytes, "data");
    put32(bytes, dataBytes);
    for (int16_t v : pcm)
        put16(bytes, static_cast<uint16_t>(v));

    std::FILE* f = std::fopen(path.c_str(), "wb");
    bool written = false;
    if (f) {
        written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        written = std::fclose(f) == 0 && written;
    }
    if (!written) {
        std::fprintf(stderr, "assetgen: cannot write %s\n", path.c_str());
        std::exit(1);
    }
}

} // namespace assetgen
