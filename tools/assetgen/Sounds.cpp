#include "Sounds.h"

#include "Rng.h"

#include <algorithm>
#include <cmath>

namespace assetgen {

namespace {

double rms(const Samples& s) {
    double sum = 0.0;
    for (double v : s)
        sum += v * v;
    return s.empty() ? 0.0 : std::sqrt(sum / double(s.size()));
}

// A random sample phase for a table partial.
long long randomPhase(Rng& rng) {
    return rng.below(kSampleRate);
}

// 0 before `start`, rising over `attack` seconds along half a cosine, then 1.
double attackRamp(double t, double attack) {
    if (t <= 0.0)
        return 0.0;
    return t >= attack ? 1.0 : 0.5 - 0.5 * std::cos(kPi * t / attack);
}

// Loudest sample at kPeakDbfs, with short ramps at both ends.
Samples finish(Samples s, double fadeInSeconds, double fadeOutSeconds) {
    fadeIn(s, fadeInSeconds);
    fadeOut(s, fadeOutSeconds);
    normalisePeak(s, kPeakDbfs);
    return s;
}

} // namespace

Samples engineLoop() {
    const SineTable sine;
    Rng rng(0xE461E);
    const int n = kSampleRate;
    Samples hum(n, 0.0), noise(n, 0.0);

    // A harmonic stack, strongest at the fundamental so the pitch stays clear when the
    // game bends it; the odd harmonics a little forward for a motor's buzz.
    const double harmonics[] = {1.0, 0.40, 0.30, 0.14, 0.12, 0.05, 0.05, 0.025, 0.02, 0.012};
    for (int h = 1; h <= 10; ++h) {
        const long long phase = randomPhase(rng);
        for (int i = 0; i < n; ++i)
            hum[i] += harmonics[h - 1] * sine(kEngineHz * h, i, phase);
    }
    // Partials 1 Hz above the first two beat against them once a second: the hum
    // breathes instead of droning.
    const long long beatPhase = randomPhase(rng);
    for (int i = 0; i < n; ++i)
        hum[i] +=
            0.18 * sine(kEngineHz + 1, i, beatPhase) + 0.08 * sine(2 * kEngineHz + 1, i, beatPhase);
    // A faint turbine flutter, 7 times a second.
    for (int i = 0; i < n; ++i)
        hum[i] *= 1.0 + 0.08 * sine(7, i);

    // Noise as a sum of every whole-number partial from 40 Hz up, with random phases
    // and amplitudes: it repeats every second like the rest, so the loop needs no
    // crossfade. The band is soft: a gentle rise to 100 Hz, falling off steeply above
    // 500 Hz, so nothing is left of it where the sum stops.
    for (int f = 40; f <= 3000; ++f) {
        const double u = rng.uniform();
        const double amplitude = std::sqrt(-2.0 * std::log(1.0 - u)); // Rayleigh
        const double shape = (f / std::sqrt(double(f) * f + 100.0 * 100.0)) /
                             std::sqrt(1.0 + std::pow(f / 500.0, 6.0));
        const long long phase = randomPhase(rng);
        for (int i = 0; i < n; ++i)
            noise[i] += amplitude * shape * sine(f, i, phase);
    }
    const double noiseLevel = 0.14 * rms(hum) / rms(noise); // about -17 dB under the hum
    Samples loop(n);
    for (int i = 0; i < n; ++i)
        loop[i] = hum[i] + noiseLevel * noise[i];
    // No fades: the last sample leads straight back into the first.
    normalisePeak(loop, kPeakDbfs);
    return loop;
}

Samples turnWhoosh() {
    Rng rng(0x70A4);
    const double length = 0.22;
    const int n = framesFor(length);
    Samples s(n);
    Biquad first, second;
    double blipPhase = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        const double u = t / length;
        // Air rushing past: noise through a band that sweeps up and back down, its
        // loudest a little before the middle.
        const double centre = 600.0 * std::pow(3.5, std::sin(kPi * u));
        first.bandpass(centre, 1.4);
        second.bandpass(centre, 1.4);
        const double air = second(first(rng.gaussian()));
        const double shaped = std::sin(kPi * std::pow(u, 0.75));
        // Under it a soft rising blip, so the turn has a pitch.
        blipPhase += (480.0 + 260.0 * u) / kSampleRate;
        const double blip = std::sin(2.0 * kPi * blipPhase);
        s[i] = air * shaped * shaped + 0.1 * blip * shaped * shaped * shaped;
    }
    return finish(std::move(s), 0.004, 0.03);
}

Samples chime() {
    struct Note {
        double hz, start, amplitude, decay;
    };
    const Note notes[] = {{kChimeHz, 0.0, 1.0, 0.34}, {kChimeHz * 1.5, 0.075, 0.7, 0.30}};
    // Harmonic partials only, the higher ones dying sooner: bright at the strike,
    // round in the tail.
    const double partials[] = {1.0, 0.28, 0.12, 0.05};
    const double length = 1.1;
    const int n = framesFor(length);
    Samples s(n, 0.0);
    for (const Note& note : notes)
        for (int k = 1; k <= 4; ++k) {
            const double decay = note.decay / std::pow(double(k), 0.8);
            for (int i = 0; i < n; ++i) {
                const double t = double(i) / kSampleRate - note.start;
                if (t <= 0.0)
                    continue;
                s[i] += note.amplitude * partials[k - 1] * attackRamp(t, 0.002) *
                        std::exp(-t / decay) * std::sin(2.0 * kPi * k * note.hz * t);
            }
        }
    return finish(std::move(s), 0.0, 0.05);
}

Samples crashMeteor() {
    Rng rng(0xC2A5);
    const double length = 1.2;
    const int n = framesFor(length);
    Samples s(n);
    Biquad burstFilter, debrisFilter;
    debrisFilter.bandpass(2200.0, 0.9);
    OnePole rumbleA(140.0), rumbleB(140.0);
    double thumpPhase = 0.0;
    double debris = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        // The thump: a sine dropping from 130 Hz to 38 Hz as it dies.
        thumpPhase += (38.0 + 92.0 * std::exp(-t / 0.07)) / kSampleRate;
        const double thump = std::sin(2.0 * kPi * thumpPhase) * std::exp(-t / 0.22);
        // The burst: noise whose brightness closes quickly from 5 kHz to a dull roar.
        burstFilter.lowpass(220.0 + 4800.0 * std::exp(-t / 0.09), 0.8);
        const double burst = burstFilter(rng.gaussian()) * std::exp(-t / 0.2);
        // The rumble that stays: noise through two gentle low-passes.
        const double rumble = rumbleB(rumbleA(rng.gaussian())) * std::exp(-t / 0.45);
        // Rubble: sparse clicks in the first half second, fewer as it settles.
        const double chance = 0.004 * std::exp(-t / 0.15);
        if (rng.uniform() < chance) {
            const double size = rng.uniform(0.3, 1.0);
            debris += (rng.uniform() < 0.5 ? -size : size);
        }
        debris *= 0.96;
        const double rubble = debrisFilter(debris);
        s[i] = 0.9 * thump + 0.45 * burst + 6.0 * rumble + 0.5 * rubble;
    }
    // A little saturation makes it denser, as if the hull itself rang.
    const double p = peak(s);
    for (double& v : s)
        v = std::tanh(1.8 * v / p);
    return finish(std::move(s), 0.001, 0.12);
}

Samples crashTrail() {
    Rng rng(0x7A11);
    const double length = 0.8;
    const int n = framesFor(length);
    Samples s(n);
    Biquad crackleLow, crackleHigh;
    crackleLow.highpass(2500.0, 0.7);
    crackleHigh.lowpass(9000.0, 0.7);
    double zapPhase = 0.0, humPhase = 0.0;
    int gateLeft = 0;
    double gate = 0.0;
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        // The zap: a band-limited sawtooth diving from 1.6 kHz, wobbled at 50 Hz so it
        // buzzes like a spark gap.
        const double hz =
            (180.0 + 1400.0 * std::exp(-t / 0.07)) * (1.0 + 0.3 * std::sin(2.0 * kPi * 50.0 * t));
        zapPhase += hz / kSampleRate;
        zapPhase -= std::floor(zapPhase);
        double zap = 0.0;
        for (int k = 1; k * hz < 11000.0; ++k)
            zap += std::sin(2.0 * kPi * k * zapPhase) / k;
        // Crackle: bright (not harsh) noise switched on and off at random, more often early.
        if (--gateLeft <= 0) {
            gateLeft = framesFor(rng.uniform(0.002, 0.02));
            const double on = rng.uniform();
            const double level = rng.uniform(0.3, 1.0);
            gate = on < 0.75 * std::exp(-t / 0.3) ? level : 0.0;
        }
        const double crackle = crackleHigh(crackleLow(rng.gaussian())) * gate;
        // Under it the mains-like hum of the trail's field, odd harmonics of 100 Hz.
        humPhase += 100.0 / kSampleRate;
        double hum = 0.0;
        for (int k = 1; k <= 29; k += 2)
            hum += std::sin(2.0 * kPi * k * humPhase) / k;
        s[i] = 0.55 * zap * std::exp(-t / 0.22) + 0.35 * crackle * std::exp(-t / 0.18) +
               0.3 * hum * std::exp(-t / 0.3);
    }
    return finish(std::move(s), 0.001, 0.08);
}

Samples click() {
    Rng rng(0xC11C);
    const double length = 0.04;
    const int n = framesFor(length);
    Samples s(n);
    Biquad tick;
    tick.highpass(3000.0, 0.7);
    for (int i = 0; i < n; ++i) {
        const double t = double(i) / kSampleRate;
        s[i] = std::sin(2.0 * kPi * 1900.0 * t) * std::exp(-t / 0.005) +
               0.35 * std::sin(2.0 * kPi * 3700.0 * t) * std::exp(-t / 0.0025) +
               0.3 * tick(rng.gaussian()) * std::exp(-t / 0.001);
    }
    return finish(std::move(s), 0.0004, 0.008);
}

const std::array<SoundRecipe, 6>& soundRecipes() {
    static const std::array<SoundRecipe, 6> recipes = {{{"engine.wav", engineLoop},
                                                        {"turn.wav", turnWhoosh},
                                                        {"chime.wav", chime},
                                                        {"crash-meteor.wav", crashMeteor},
                                                        {"crash-trail.wav", crashTrail},
                                                        {"click.wav", click}}};
    return recipes;
}

void makeSounds(const std::string& assets) {
    for (const SoundRecipe& recipe : soundRecipes())
        writeWav(assets + "/Sounds/" + recipe.file, toPcm16(recipe.make()));
}

} // namespace assetgen
