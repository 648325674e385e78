// The audio module as a player hears it. OpenAL Soft's wave writer records the mix of each
// session to a WAV file in real time; the tests read it back (libsndfile) and listen: when a
// sound starts, which side it comes from, its pitch, its level, silence. A session costs
// real time, so each one plays through several checks.
#include "audio/Audio.h"
#include "app/GameSounds.h"
#include "audio/AlObject.h"
#include "diagnostics/AllocationCount.h"
#include "scene/Spaceship.h"
#include "support/Files.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

using namespace drifthold;

namespace {

constexpr int kRate = 44100;
// Levels of the recording (full scale 1): a sound heard at play distance is far above the
// first, and the wave writer records silence as exact zeros (no dither).
constexpr double kHeard = 0.005;
constexpr double kSilent = 1e-4;
enum Channel { kLeft, kRight, kBoth };

std::string gMix; // the recording every session rewrites; set in main()

long long frames(double seconds) {
    return std::llround(seconds * kRate);
}

// What a session recorded (interleaved stereo) and wrote on stderr.
struct Recording {
    std::vector<float> mix;
    std::string errors;

    long long size() const { return static_cast<long long>(mix.size() / 2); }
    // Frame i of the left or the right channel, or of both mixed down.
    double at(long long i, Channel c) const {
        const double l = mix[size_t(2 * i)], r = mix[size_t(2 * i + 1)];
        return c == kLeft ? l : c == kRight ? r : (l + r) / 2.0;
    }
    // Root mean square over frames [from, to).
    double rms(long long from, long long to, Channel c = kBoth) const {
        from = std::max(0LL, from);
        to = std::min(to, size());
        double sum = 0.0;
        for (long long i = from; i < to; ++i)
            sum += at(i, c) * at(i, c);
        return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
    }
    // The first frame from `from` on where anything is heard; -1 if none.
    long long onset(long long from) const {
        for (long long i = std::max(0LL, from); i < size(); ++i)
            if (std::fabs(at(i, kLeft)) > 1e-3 || std::fabs(at(i, kRight)) > 1e-3)
                return i;
        return -1;
    }
    // The level over `seconds` of the first sound heard from `from` on: a play call that the
    // scheduler delayed a little still gets its whole window.
    double sound(long long from, double seconds, Channel c = kBoth) const {
        const long long start = onset(from);
        return start < 0 ? 0.0 : rms(start, start + frames(seconds), c);
    }
    // The strongest frequency in [lo, hi] over [from, to), by half hertz steps.
    double dominantHz(double lo, double hi, long long from, long long to) const {
        std::vector<double> power;
        for (double hz = lo; hz <= hi; hz += 0.5) {
            std::complex<double> sum;
            for (long long i = from; i < to; ++i)
                sum += at(i, kBoth) * std::polar(1.0, 2.0 * M_PI * hz * double(i - from) / kRate);
            power.push_back(std::norm(sum));
        }
        return lo + 0.5 * double(std::max_element(power.begin(), power.end()) - power.begin());
    }
    // The share of the energy below `hz` (first-order low-pass) over [from, to).
    double shareBelow(double hz, long long from, long long to) const {
        const double a = std::exp(-2.0 * M_PI * hz / kRate);
        double low = 0.0, all = 0.0, below = 0.0;
        for (long long i = from; i < to; ++i) {
            low = (1.0 - a) * at(i, kBoth) + a * low;
            all += at(i, kBoth) * at(i, kBoth);
            below += low * low;
        }
        return all > 0.0 ? below / all : 0.0;
    }
};

// A session: a fresh Audio that `script` plays on, then closed (which completes the file),
// and what was recorded and written on stderr meanwhile. OpenAL Soft's own notices are on
// (ALSOFT_LOGLEVEL=2), so an AL error or a buffer left behind at close shows up there; only
// the one it prints at its first start in the process is left out.
Recording record(const std::function<void(Audio&)>& script, bool startMuted = false,
                 float volume = 1.0f) {
    testing::internal::CaptureStderr();
    {
        Audio audio(startMuted, volume);
        EXPECT_TRUE(audio.available());
        script(audio);
    }
    Recording r;
    r.errors = std::regex_replace(testing::internal::GetCapturedStderr(),
                                  std::regex(".*No capture backend available.*\n"), "");
    SF_INFO info{};
    SNDFILE* file = sf_open(gMix.c_str(), SFM_READ, &info);
    EXPECT_TRUE(file && info.channels == 2 && info.samplerate == kRate) << sf_strerror(file);
    r.mix.resize(file && info.channels == 2 ? size_t(info.frames) * 2 : 0);
    r.mix.resize(size_t(sf_readf_float(file, r.mix.data(), sf_count_t(r.mix.size() / 2))) * 2);
    sf_close(file);
    return r;
}

// A call of the game, between two readings of the device clock: what it starts is heard
// from the first reading on, and within a couple of mixing periods of the second.
struct Call {
    long long at = 0, done = 0;
};

// Makes `call`, then lets the device mix `seconds` more while the game runs frames, each
// calling update() with its frame time (4 ms or more, which bounds the wait).
Call step(Audio& audio, double seconds, const std::function<void()>& call) {
    const long long at = audio.mixedFrames();
    call();
    const Call made{at, audio.mixedFrames()};
    auto last = std::chrono::steady_clock::now();
    for (int frame = 0; frame < 1000 * seconds + 500 && audio.mixedFrames() < at + frames(seconds);
         ++frame) {
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
        const auto now = std::chrono::steady_clock::now();
        audio.update(std::chrono::duration<double>(now - last).count());
        last = now;
    }
    return made;
}

// A one-shot, at `where` or flat without a place, then `seconds` of mixing.
Call play(Audio& audio, Sound sound, double seconds, std::optional<glm::vec3> where = {}) {
    return step(audio, seconds, [&] { where ? audio.play(sound, *where) : audio.playFlat(sound); });
}

// Silent just before the call, heard right after it.
void expectHeardOnCall(const Recording& r, Call call, const std::string& what) {
    EXPECT_LT(r.rms(call.at - frames(0.03), call.at), kSilent) << what;
    const long long onset = r.onset(call.at);
    EXPECT_TRUE(onset >= 0 && onset < call.done + frames(0.03)) << what << ": " << onset;
}

// The player at `eye` looking at `centre`, as the game's cameras make their view.
glm::mat4 view(const glm::vec3& eye, const glm::vec3& centre, const glm::vec3& up = {0, 1, 0}) {
    return glm::lookAt(eye, centre, up);
}

} // namespace

// The game's one-shots, in one session: a collection chimes and each crash sounds its own
// from the moment the game tells of it; eight one-shots sound at once and a ninth takes
// the place of the oldest; left and right as the player sees them wherever the view looks
// from, nearer louder, a flat sound in the middle. The calls of a frame allocate nothing,
// and the owners of AL objects delete each once.
TEST(AudioMix, OneShotsAreHeardAtOnceWhereTheViewSeesThem) {
    struct Shot {
        const char* what;
        glm::mat4 view;
        std::optional<glm::vec3> where; // none: flat
        Channel louder;                 // kBoth: both sides alike
        Call call{};
    };
    const glm::mat4 turned = view({10, 0, 0}, {0, 0, 0}); // looking down -x: +z is on the left
    std::vector<Shot> shots = {
        {"left of the default view", glm::mat4(1.0f), glm::vec3(-5, 0, -1), kLeft},
        {"left of a turned view", turned, glm::vec3(10, 0, 3), kLeft},
        {"left of an upside-down view", view({10, 0, 0}, {0, 0, 0}, {0, -1, 0}),
         glm::vec3(10, 0, -3), kLeft},
        {"flat, facing -z from x = 10", view({10, 0, 0}, {10, 0, -1}), std::nullopt, kBoth},
        {"2 units ahead of a turned view", turned, glm::vec3(8, 0, 0), kBoth},
        {"20 units ahead of a turned view", turned, glm::vec3(-10, 0, 0), kBoth},
    };
    Call chime, trail, meteor, clicks, ninth;
    std::uint64_t allocations = 1;
    const Recording r = record([&](Audio& audio) {
        GameSounds game(audio);
        const glm::vec3 where(1, -1, 0);
        step(audio, 0.1, [&] { game.frame(view({0, 0, 10}, {0, 0, 0}), nullptr, true, 0.0); });
        chime = step(audio, 0.35, [&] { game.collected(where); });
        trail = step(audio, 0.35, [&] { game.crashed(GameEvents::Crash::Trail, where); });
        meteor = step(audio, 0.35, [&] { game.crashed(GameEvents::Crash::Meteor, where); });
        for (int i = 0; i < 7; ++i) // with the three above, every source is busy
            clicks = play(audio, Sound::Click, i < 6 ? 0.01 : 0.15);
        ninth = play(audio, Sound::Click, 0.2); // takes the meteor's source
        for (Shot& shot : shots) {
            audio.setListener(shot.view);
            shot.call = play(audio, Sound::Click, 0.1, shot.where);
        }
        const std::uint64_t before = allocationCount(); // counting starts here
        for (int frame = 0; frame < 60; ++frame) {
            game.frame(view({0, 2, 10}, where), nullptr, true, 0.016);
            audio.setEngine(where, frame < 40 ? 0.4f : 0.0f);
            game.collected(where); // more one-shots than before: a growing list would show
            game.menuKey();
            audio.setVolume(frame % 2 ? 0.8f : 0.6f);
            audio.setMuted(frame % 3 == 0);
        }
        allocations = allocationCount() - before;
        // The AL owners: a move hands the name over, and the last owner deletes it, once.
        al::Buffer first = al::Buffer::create();
        const ALuint name = first;
        al::Buffer second(std::move(first));
        first = std::move(second);
        EXPECT_TRUE(name != 0 && first.id() == name && second.id() == 0 && alIsBuffer(name));
        first.reset();
        EXPECT_FALSE(alIsBuffer(name));
    });
    EXPECT_EQ(r.errors, "");
    EXPECT_EQ(allocations, 0u);

    expectHeardOnCall(r, chime, "chime");
    const long long strike = r.onset(chime.at);
    EXPECT_NEAR(r.dominantHz(600, 3000, strike, strike + frames(0.06)), 1046.5, 8.0);
    // The meteor is a low thump, the trail a bright zap.
    const double meteorLow = r.shareBelow(200, meteor.at, meteor.at + frames(0.3));
    EXPECT_GT(meteorLow, 0.5);
    EXPECT_GT(meteorLow, 2.0 * r.shareBelow(200, trail.at, trail.at + frames(0.3)));
    // After the clicks the meteor still rumbles on, until the ninth sound takes its source:
    // once that click (40 ms) is over, silence.
    EXPECT_GT(r.rms(clicks.done + frames(0.06), ninth.at), kHeard);
    EXPECT_LT(r.rms(ninth.done + frames(0.08), ninth.done + frames(0.2)), kSilent);

    for (const Shot& shot : shots) {
        expectHeardOnCall(r, shot.call, shot.what);
        const double left = r.sound(shot.call.at, 0.06, kLeft);
        const double right = r.sound(shot.call.at, 0.06, kRight);
        if (shot.louder == kLeft)
            EXPECT_GT(left, 2.0 * right) << shot.what;
        else if (shot.louder == kRight)
            EXPECT_GT(right, 2.0 * left) << shot.what;
        else
            EXPECT_NEAR(left / right, 1.0, 0.05) << shot.what;
    }
    // Nearer is louder (2 units against 20 ahead); far is still heard, as checked above.
    EXPECT_GT(r.sound(shots[4].call.at, 0.06), 1.5 * r.sound(shots[5].call.at, 0.06));
}

// Started muted at half volume: nothing, then half the level of full; beyond full is full.
// The engine: nothing while the ship stands; then it fades in, its pitch rising with the
// speed and gliding to a new one; muting silences it and keeps the volume; behind the
// menu, where the game stands still, it fades out and falls silent. It hums from the ship:
// a ship left of the player is heard on the left, one on the right on the right.
TEST(AudioMix, TheVolumeScalesEverythingAndTheEngineFollowsTheSpeed) {
    Call muted, half, full, still, slow, fast, slowed, mutedAgain, back, menu, left, right;
    float fullVolume = 0.0f, volumeWhileMuted = 0.0f, noVolume = 1.0f;
    const glm::vec3 ship(0.5f, 0.0f, -1.0f);
    scene::Spaceship spaceship(glm::translate(glm::mat4(1.0f), ship), MeshData(), nullptr);
    const Recording r = record(
        [&](Audio& audio) {
            EXPECT_TRUE(audio.muted());
            EXPECT_FLOAT_EQ(audio.volume(), 0.5f);
            muted = play(audio, Sound::Click, 0.1);
            audio.setMuted(false);
            half = play(audio, Sound::Click, 0.1);
            audio.setVolume(7.0f);
            fullVolume = audio.volume();
            full = play(audio, Sound::Click, 0.1);
            GameSounds game(audio);
            auto fly = [&](float speed, double seconds, bool playing = true,
                           std::optional<glm::vec3> at = {}) {
                spaceship.setVelocity({speed, 0.0f, 0.0f});
                spaceship.modelMatrix = glm::translate(glm::mat4(1.0f), at.value_or(ship));
                return step(audio, seconds, [&] {
                    game.frame(view({0, 2, 10}, ship), &spaceship, playing, 0.0);
                });
            };
            still = fly(0.0f, 0.1);
            slow = fly(0.2f, 0.5);
            fast = fly(0.6f, 0.5);
            slowed = fly(0.2f, 0.3);
            mutedAgain = step(audio, 0.2, [&] { audio.setMuted(true); });
            volumeWhileMuted = audio.volume();
            back = step(audio, 0.15, [&] { audio.setMuted(false); });
            menu = fly(0.2f, 0.6, false);
            left = fly(0.2f, 0.3, true, glm::vec3(-3.0f, 2.0f, 10.0f)); // beside the player
            right = fly(0.2f, 0.3, true, glm::vec3(3.0f, 2.0f, 10.0f));
            audio.setVolume(std::nanf("")); // nonsense: nothing
            noVolume = audio.volume();
        },
        true, 0.5f);
    EXPECT_EQ(r.errors, "");
    EXPECT_LT(r.rms(muted.at, half.at), kSilent);
    EXPECT_NEAR(r.sound(half.at, 0.06) / r.sound(full.at, 0.06), 0.5, 0.05);
    EXPECT_EQ(fullVolume, 1.0f);
    EXPECT_EQ(noVolume, 0.0f);

    EXPECT_LT(r.rms(still.at + frames(0.05), slow.at), kSilent);
    const double slowHz = r.dominantHz(60, 250, slow.at + frames(0.3), fast.at);
    const double fastHz = r.dominantHz(60, 250, fast.at + frames(0.3), slowed.at);
    EXPECT_TRUE(80.0 < slowHz && slowHz + 20.0 < fastHz && fastHz < 200.0)
        << slowHz << ", " << fastHz;
    // Glides and fades, not switches: a speed key must not click. Just after the drop from
    // the fast speed to the slow one the pitch is still nearer the fast one.
    EXPECT_GT(r.dominantHz(60, 250, slowed.at, slowed.at + frames(0.05)), (slowHz + fastHz) / 2);
    EXPECT_LT(r.rms(slow.at, slow.at + frames(0.025)), 0.5 * r.rms(slow.at + frames(0.3), fast.at));

    EXPECT_LT(r.rms(mutedAgain.done + frames(0.03), back.at), kSilent);
    EXPECT_FLOAT_EQ(volumeWhileMuted, 1.0f);
    const double cruising = r.rms(back.done + frames(0.03), menu.at);
    EXPECT_GT(cruising, kHeard);
    EXPECT_GT(r.rms(menu.at, menu.at + frames(0.025)), 0.3 * cruising);
    EXPECT_LT(r.rms(menu.at + frames(0.5), menu.at + frames(0.6)), kSilent);
    for (const auto& [call, louder, softer] :
         {std::tuple(left, kLeft, kRight), {right, kRight, kLeft}})
        EXPECT_GT(r.rms(call.at + frames(0.1), call.at + frames(0.3), louder),
                  2.0 * r.rms(call.at + frames(0.1), call.at + frames(0.3), softer));
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Before the first OpenAL call of the process: the wave writer instead of the machine's
    // sound system, and OpenAL's warnings on stderr where the tests look for them.
    const std::string folder = test::tempFolder("audio");
    gMix = folder + "/mix.wav";
    std::ofstream(folder + "/alsoft.conf")
        << "[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\nsample-type=int16\n"
           "period_size=512\nhrtf=false\ndither=false\n[wave]\nfile="
        << gMix << "\n";
    setenv("ALSOFT_CONF", (folder + "/alsoft.conf").c_str(), 1);
    setenv("ALSOFT_LOGLEVEL", "2", 1);
    unsetenv("ALSOFT_DRIVERS");
    return RUN_ALL_TESTS();
}
