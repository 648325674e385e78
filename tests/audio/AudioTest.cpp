// The audio module as a player hears it. OpenAL Soft's wave writer records the mix of each
// session to a WAV file in real time; the tests read it back (libsndfile) and listen: when a
// sound starts, which side it comes from, its pitch, its level, silence.
#include "app/GameSounds.h"
#include "audio/Audio.h"
#include "scene/Spaceship.h"
#include "audio/AlObject.h"
#include "diagnostics/AllocationCount.h"
#include "support/Files.h"

#include <glm/gtc/matrix_transform.hpp>
#include <gtest/gtest.h>
#include <sndfile.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

using namespace drifthold;

namespace {

constexpr int kRate = 44100;
// Levels of the recording (full scale 1): a sound heard at play distance is far above the
// first, and the wave writer records silence as exact zeros (no dither).
constexpr double kHeard = 0.005;
constexpr double kSilent = 1e-4;

long long frames(double seconds) {
    return std::llround(seconds * kRate);
}

// OpenAL Soft reads its configuration once, at the first call of the process; main() points
// it here before any test runs. Every session rewrites the same recording.
struct MixFiles {
    std::string folder, config, wave;
};

const MixFiles& mixFiles() {
    static const MixFiles files = [] {
        MixFiles f;
        f.folder = test::tempFolder("audio");
        f.config = f.folder + "/alsoft.conf";
        f.wave = f.folder + "/mix.wav";
        std::ofstream(f.config) << "[general]\ndrivers=wave\nfrequency=44100\nchannels=stereo\n"
                                   "sample-type=int16\nperiod_size=512\nhrtf=false\n"
                                   "dither=false\n[wave]\nfile="
                                << f.wave << "\n";
        return f;
    }();
    return files;
}

struct Recording {
    int rate = 0;
    std::vector<float> left, right;
    // What the session wrote on stderr, without OpenAL's notice at its first start.
    std::string errors;

    // Root mean square over frames [from, to) of the left (0), right (1) or both (2) channels.
    double rms(long long from, long long to, int channel = 2) const {
        from = std::max(0LL, from);
        to = std::min(to, static_cast<long long>(left.size()));
        double sum = 0.0;
        for (long long i = from; i < to; ++i) {
            const double l = left[size_t(i)], r = right[size_t(i)];
            sum += channel == 0 ? l * l : channel == 1 ? r * r : (l * l + r * r) / 2.0;
        }
        return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
    }
    double rmsAfter(long long at, double seconds, int channel = 2) const {
        return rms(at, at + frames(seconds), channel);
    }
    double rmsBefore(long long at, double seconds) const { return rms(at - frames(seconds), at); }
    // The level of the first sound heard from `at` on, over `seconds` from where it starts:
    // a play call that the scheduler delayed a little still gets its whole window.
    double soundAfter(long long at, double seconds, int channel = 2) const {
        const long long start = onset(at);
        return start < 0 ? 0.0 : rms(start, start + frames(seconds), channel);
    }
    // The first frame from `from` on where anything is heard; -1 if none.
    long long onset(long long from) const {
        for (long long i = std::max(0LL, from); i < static_cast<long long>(left.size()); ++i)
            if (std::fabs(left[size_t(i)]) > 1e-3 || std::fabs(right[size_t(i)]) > 1e-3)
                return i;
        return -1;
    }
    // The amplitude of the `hz` component of both channels summed, over [from, to).
    double amplitudeAt(double hz, long long from, long long to) const {
        const double w = 2.0 * M_PI * hz / kRate;
        double re = 0.0, im = 0.0;
        for (long long i = from; i < to; ++i) {
            const double v = double(left[size_t(i)]) + right[size_t(i)];
            re += v * std::cos(w * double(i - from));
            im -= v * std::sin(w * double(i - from));
        }
        return std::sqrt(re * re + im * im) / double(to - from);
    }
    // The strongest frequency in [lo, hi], by half-hertz steps.
    double dominantHz(double lo, double hi, long long from, long long to) const {
        double best = lo, bestAmplitude = -1.0;
        for (double hz = lo; hz <= hi; hz += 0.5) {
            const double a = amplitudeAt(hz, from, to);
            if (a > bestAmplitude) {
                bestAmplitude = a;
                best = hz;
            }
        }
        return best;
    }
    // The share of the energy below `hz` (first-order low-pass) over [from, to).
    double shareBelow(double hz, long long from, long long to) const {
        const double a = std::exp(-2.0 * M_PI * hz / kRate);
        double low = 0.0, all = 0.0, below = 0.0;
        for (long long i = from; i < to; ++i) {
            const double v = double(left[size_t(i)]) + right[size_t(i)];
            low = (1.0 - a) * v + a * low;
            all += v * v;
            below += low * low;
        }
        return all > 0.0 ? below / all : 0.0;
    }
};

Recording readRecording() {
    Recording r;
    SF_INFO info{};
    SNDFILE* file = sf_open(mixFiles().wave.c_str(), SFM_READ, &info);
    EXPECT_NE(file, nullptr) << "no recording: " << sf_strerror(nullptr);
    if (!file)
        return r;
    EXPECT_EQ(info.channels, 2);
    r.rate = info.samplerate;
    std::vector<float> interleaved(size_t(info.frames) * size_t(info.channels));
    const sf_count_t read = sf_readf_float(file, interleaved.data(), info.frames);
    sf_close(file);
    for (sf_count_t i = 0; info.channels == 2 && i < read; ++i) {
        r.left.push_back(interleaved[size_t(2 * i)]);
        r.right.push_back(interleaved[size_t(2 * i + 1)]);
    }
    return r;
}

// OpenAL Soft's own notices are on (ALSOFT_LOGLEVEL=2), so an AL error or a buffer left
// behind at close shows up on stderr; only this one, printed once per process, is expected.
std::string withoutStartupNotice(const std::string& text) {
    std::istringstream lines(text);
    std::string kept;
    for (std::string line; std::getline(lines, line);)
        if (line.find("No capture backend available") == std::string::npos)
            kept += line + "\n";
    return kept;
}

// A session: a fresh Audio that `script` plays on, then closed (which completes the file),
// and what was recorded and written on stderr meanwhile.
Recording record(const std::function<void(Audio&)>& script, bool startMuted = false,
                 float volume = 1.0f, const std::string& folder = Audio::kFolder) {
    testing::internal::CaptureStderr();
    {
        Audio audio(startMuted, volume, folder);
        EXPECT_TRUE(audio.available());
        if (audio.available())
            script(audio);
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    Recording r = readRecording();
    r.errors = withoutStartupNotice(errors);
    EXPECT_EQ(r.rate, kRate);
    return r;
}

// Lets the device mix `seconds` more while the game runs frames, each calling update()
// with its frame time. Returns the frame the device had mixed on the way in.
long long run(Audio& audio, double seconds) {
    using Clock = std::chrono::steady_clock;
    const long long start = audio.mixedFrames();
    const Clock::time_point deadline =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(
                           std::chrono::duration<double>(3.0 * seconds + 2.0));
    Clock::time_point last = Clock::now();
    while (audio.mixedFrames() < start + frames(seconds) && Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(4));
        const Clock::time_point now = Clock::now();
        audio.update(std::chrono::duration<double>(now - last).count());
        last = now;
    }
    return start;
}

// Plays `sound` at `where` and returns the frame from which it can be heard.
long long playAt(Audio& audio, Sound sound, const glm::vec3& where) {
    const long long at = audio.mixedFrames();
    audio.play(sound, where);
    return at;
}

long long playFlatAt(Audio& audio, Sound sound) {
    const long long at = audio.mixedFrames();
    audio.playFlat(sound);
    return at;
}

// The player at `eye` looking at `centre`, as the game's cameras make their view.
glm::mat4 view(const glm::vec3& eye, const glm::vec3& centre, const glm::vec3& up = {0, 1, 0}) {
    return glm::lookAt(eye, centre, up);
}

} // namespace

// What play sounds like: a collection chimes and each crash sounds its own, from the
// moment the game tells of it, not before and not noticeably later.
TEST(AudioMix, SoundsAreHeardFromTheMomentTheyArePlayed) {
    struct Heard {
        long long at = 0, called = 0; // the device clock before and after the call
        Recording r;
    };
    auto hear = [](const std::function<void(GameEvents&)>& event) {
        Heard h;
        h.r = record([&](Audio& audio) {
            GameSounds sounds(audio);
            audio.setListener(view({0, 0, 10}, {0, 0, 0}));
            run(audio, 0.12);
            h.at = audio.mixedFrames();
            event(sounds);
            h.called = audio.mixedFrames();
            run(audio, 0.35);
        });
        EXPECT_EQ(h.r.errors, "");
        EXPECT_LT(h.r.rmsBefore(h.at, 0.1), kSilent);
        EXPECT_GT(h.r.soundAfter(h.at, 0.1), kHeard);
        const long long onset = h.r.onset(h.at);
        EXPECT_GE(onset, h.at);
        EXPECT_LT(onset, h.called + frames(0.03)); // within a couple of mixing periods
        return h;
    };
    const glm::vec3 where(1, -1, 0);
    const Heard chime = hear([&](GameEvents& game) { game.collected(where); });
    const long long strike = chime.r.onset(chime.at);
    EXPECT_NEAR(chime.r.dominantHz(600, 3000, strike, strike + frames(0.06)), 1046.5, 8.0);
    const Heard meteor =
        hear([&](GameEvents& game) { game.crashed(GameEvents::Crash::Meteor, where); });
    const Heard trail =
        hear([&](GameEvents& game) { game.crashed(GameEvents::Crash::Trail, where); });
    // The meteor is a low thump, the trail a bright zap.
    const double meteorLow = meteor.r.shareBelow(200, meteor.at, meteor.at + frames(0.3));
    const double trailLow = trail.r.shareBelow(200, trail.at, trail.at + frames(0.3));
    EXPECT_GT(meteorLow, 0.5);
    EXPECT_GT(meteorLow, 2.0 * trailLow);
}

// The engine: nothing while the ship stands; then it fades in, its pitch rising with each
// speed and gliding to a new one; behind the menu, where the game stands still, it fades
// out and falls silent.
TEST(AudioMix, EnginePitchFollowsTheSpeedAndStopsAtZero) {
    std::vector<long long> marks;
    long long slowed = 0, stopped = 0;
    const glm::vec3 ship(0.5f, 0.0f, -1.0f);
    scene::Spaceship spaceship(glm::translate(glm::mat4(1.0f), ship), MeshData(), nullptr);
    const Recording r = record([&](Audio& audio) {
        GameSounds sounds(audio);
        const glm::mat4 seen = view({0, 2, 10}, ship);
        auto fly = [&](float speed, bool playing) {
            spaceship.setVelocity({speed, 0.0f, 0.0f});
            sounds.frame(seen, &spaceship, playing, 0.0);
        };
        fly(0.0f, true);
        run(audio, 0.12);
        for (float speed : {0.2f, 0.4f, 0.6f}) {
            marks.push_back(audio.mixedFrames());
            fly(speed, true);
            run(audio, 0.6);
        }
        slowed = audio.mixedFrames();
        fly(0.2f, true);
        run(audio, 0.3);
        stopped = audio.mixedFrames();
        fly(0.2f, false); // the menu is shown
        run(audio, 0.6);
    });
    EXPECT_EQ(r.errors, "");
    EXPECT_LT(r.rmsBefore(marks[0], 0.1), kSilent);
    std::vector<double> pitch;
    for (long long at : marks) {
        const long long from = at + frames(0.35), to = at + frames(0.6);
        EXPECT_GT(r.rms(from, to), kHeard);
        pitch.push_back(r.dominantHz(60, 250, from, to));
    }
    EXPECT_LT(pitch[0], pitch[1]);
    EXPECT_LT(pitch[1], pitch[2]);
    EXPECT_GT(pitch[0], 80.0);
    EXPECT_LT(pitch[2], 200.0);
    // Glides and fades, not switches: a speed key must not click. Just after the drop from
    // the fastest speed to the slowest the pitch is still nearer the fast one.
    EXPECT_GT(r.dominantHz(60, 250, slowed, slowed + frames(0.05)), (pitch[0] + pitch[2]) / 2);
    const double steady = r.rms(marks[0] + frames(0.35), marks[0] + frames(0.6));
    EXPECT_LT(r.rmsAfter(marks[0], 0.025), 0.5 * steady);
    const double cruising = r.rmsBefore(stopped, 0.1);
    EXPECT_GT(r.rmsAfter(stopped, 0.025), 0.3 * cruising);
    EXPECT_LT(r.rms(stopped + frames(0.5), stopped + frames(0.6)), kSilent);
}

// Left and right as the player sees them, wherever the view looks from; nearer is louder;
// a flat sound sits in the middle whichever way the listener turns.
TEST(AudioMix, SourcesComeFromWhereTheViewSeesThem) {
    struct Shot {
        const char* what;
        glm::mat4 view;
        glm::vec3 where;
        int louder; // 0 left, 1 right, -1 both alike
        bool flat = false;
        long long at = 0;
    };
    const glm::mat4 turned = view({10, 0, 0}, {0, 0, 0}); // looking down -x: +z is on the left
    std::vector<Shot> shots = {
        {"left of the default view", glm::mat4(1.0f), {-5, 0, -1}, 0},
        {"right of the default view", glm::mat4(1.0f), {5, 0, -1}, 1},
        {"left of a turned view", turned, {10, 0, 3}, 0},
        {"right of a turned view", turned, {10, 0, -3}, 1},
        {"left of an upside-down view", view({10, 0, 0}, {0, 0, 0}, {0, -1, 0}), {10, 0, -3}, 0},
        {"flat, listener facing -z from x = 10", view({10, 0, 0}, {10, 0, -1}), {}, -1, true},
    };
    long long nearAt = 0, farAt = 0;
    const Recording r = record([&](Audio& audio) {
        run(audio, 0.1);
        for (Shot& shot : shots) {
            audio.setListener(shot.view);
            shot.at = shot.flat ? playFlatAt(audio, Sound::Click)
                                : playAt(audio, Sound::Click, shot.where);
            run(audio, 0.1);
        }
        audio.setListener(turned);
        nearAt = playAt(audio, Sound::Click, {8, 0, 0}); // 2 units ahead
        run(audio, 0.1);
        farAt = playAt(audio, Sound::Click, {-10, 0, 0}); // 20 units ahead
        run(audio, 0.1);
    });
    EXPECT_EQ(r.errors, "");
    for (const Shot& shot : shots) {
        const double left = r.soundAfter(shot.at, 0.06, 0), right = r.soundAfter(shot.at, 0.06, 1);
        EXPECT_GT(left + right, kHeard) << shot.what;
        if (shot.louder == 0)
            EXPECT_GT(left, 2.0 * right) << shot.what;
        else if (shot.louder == 1)
            EXPECT_GT(right, 2.0 * left) << shot.what;
        else
            EXPECT_NEAR(left / right, 1.0, 0.05) << shot.what;
    }
    EXPECT_GT(r.soundAfter(nearAt, 0.06), 1.5 * r.soundAfter(farAt, 0.06));
    EXPECT_GT(r.soundAfter(farAt, 0.06), kHeard); // far, but still well audible
}

// Muted: nothing at all, the engine included; the volume scales everything, stays within
// 0 to 1 and survives a mute; both start as the constructor says.
TEST(AudioMix, MutedIsSilentAndVolumeScalesTheLevel) {
    long long mutedAt = 0, halfAt = 0, fullAt = 0, quarterAt = 0, mutedAgainAt = 0, backAt = 0,
              noneAt = 0;
    float volumeWhileMuted = 0.0f, fullVolume = 0.0f, noVolume = 1.0f;
    const Recording r = record(
        [&](Audio& audio) {
            EXPECT_TRUE(audio.muted());
            EXPECT_FLOAT_EQ(audio.volume(), 0.5f);
            run(audio, 0.05);
            mutedAt = playFlatAt(audio, Sound::Click);
            run(audio, 0.1);
            audio.setMuted(false);
            halfAt = playFlatAt(audio, Sound::Click);
            run(audio, 0.1);
            audio.setVolume(7.0f); // beyond full: full
            fullVolume = audio.volume();
            fullAt = playFlatAt(audio, Sound::Click);
            run(audio, 0.1);
            audio.setVolume(0.25f);
            quarterAt = playFlatAt(audio, Sound::Click);
            run(audio, 0.1);
            audio.setMuted(true);
            mutedAgainAt = playAt(audio, Sound::CrashMeteor, {0, 0, -4});
            audio.setEngine({0, 0, -4}, 0.6f);
            run(audio, 0.3);
            volumeWhileMuted = audio.volume();
            audio.setMuted(false);
            backAt = audio.mixedFrames();
            run(audio, 0.15);
            audio.setVolume(std::nanf("")); // nonsense: nothing
            noVolume = audio.volume();
            noneAt = audio.mixedFrames();
            run(audio, 0.1);
        },
        true, 0.5f);
    EXPECT_EQ(r.errors, "");
    EXPECT_LT(r.rmsAfter(mutedAt, 0.1), kSilent);
    const double full = r.soundAfter(fullAt, 0.06);
    EXPECT_GT(full, kHeard);
    EXPECT_NEAR(r.soundAfter(halfAt, 0.06) / full, 0.5, 0.05);
    EXPECT_NEAR(r.soundAfter(quarterAt, 0.06) / full, 0.25, 0.03);
    EXPECT_LT(r.rmsAfter(mutedAgainAt, 0.3), kSilent);
    EXPECT_FLOAT_EQ(volumeWhileMuted, 0.25f);
    EXPECT_GT(r.rmsAfter(backAt, 0.15), kHeard); // the engine and the crash's tail
    EXPECT_EQ(fullVolume, 1.0f);
    EXPECT_EQ(noVolume, 0.0f);
    EXPECT_LT(r.rms(noneAt + frames(0.03), noneAt + frames(0.1)), kSilent);
}

// Eight one-shots sound at once; a ninth takes the place of the oldest, so a crash is not
// cut short by a few menu clicks, only by eight newer sounds.
TEST(AudioMix, OneShotsGiveWayOldestFirst) {
    long long crashAt = 0, lastClickAt = 0, ninthAt = 0, ninthCalled = 0;
    const Recording r = record([&](Audio& audio) {
        run(audio, 0.05);
        crashAt = playFlatAt(audio, Sound::CrashMeteor);
        for (int i = 0; i < 7; ++i) {
            run(audio, 0.01);
            lastClickAt = playFlatAt(audio, Sound::Click);
        }
        run(audio, 0.15);
        ninthAt = playFlatAt(audio, Sound::Click);
        ninthCalled = audio.mixedFrames();
        run(audio, 0.2);
    });
    EXPECT_EQ(r.errors, "");
    EXPECT_GT(r.rmsAfter(crashAt, 0.1), kHeard);
    // After the clicks the crash still rumbles on...
    EXPECT_GT(r.rms(lastClickAt + frames(0.06), ninthAt), kHeard);
    // ...until the ninth sound takes its source: once that click is over, silence.
    // The click lasts 40 ms and starts within two mixing periods of the call.
    EXPECT_LT(r.rms(ninthCalled + frames(0.08), ninthCalled + frames(0.2)), kSilent);
}

// What the game calls every frame, and the one-shots, allocate nothing once started.
TEST(AudioMix, CallsAfterStartUpAllocateNothing) {
    std::uint64_t made = 1;
    const Recording r = record([&](Audio& audio) {
        const std::uint64_t before = allocationCount(); // counting starts here
        for (int frame = 0; frame < 60; ++frame) {
            const glm::vec3 ship(0.05f * float(frame), 0.0f, -1.0f);
            audio.setListener(view({0, 2, 10}, ship));
            audio.setEngine(ship, frame < 40 ? 0.4f : 0.0f);
            audio.update(0.016);
            if (frame % 6 == 0) {
                audio.play(Sound::Chime, ship);
                audio.playFlat(Sound::Turn);
            }
            audio.setVolume(frame % 2 ? 0.8f : 0.6f);
            audio.setMuted(frame % 3 == 0);
            audio.mixedFrames();
        }
        made = allocationCount() - before;
    });
    EXPECT_EQ(r.errors, "");
    EXPECT_EQ(made, 0u);
}

// A broken sounds folder costs one line per bad file, naming it and why, and silences
// only those sounds.
TEST(AudioFiles, EachBadFileSilencesOnlyItsSoundWithOneLine) {
    const std::string folder = test::tempFolder("badsounds");
    for (const char* good : {"engine.wav", "crash-meteor.wav"})
        std::filesystem::copy_file(std::string("Assets/Sounds/") + good, folder + "/" + good);
    std::ofstream(folder + "/chime.wav") << "RIFF? no, just some text";
    auto write = [&](const char* name, int format, int channels) {
        SF_INFO info{};
        info.format = format;
        info.channels = channels;
        info.samplerate = kRate;
        SNDFILE* file = sf_open((folder + "/" + name).c_str(), SFM_WRITE, &info);
        ASSERT_NE(file, nullptr);
        const std::vector<short> noise(2000 * size_t(channels), 8000);
        sf_writef_short(file, noise.data(), 2000);
        sf_close(file);
    };
    write("click.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_16, 2);
    write("crash-trail.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_U8, 1);
    // turn.wav is missing.
    long long badAt = 0, goodAt = 0;
    const Recording r = record(
        [&](Audio& audio) {
            run(audio, 0.05);
            badAt = audio.mixedFrames();
            audio.playFlat(Sound::Chime);
            audio.playFlat(Sound::Turn);
            audio.playFlat(Sound::Click);
            audio.play(Sound::CrashTrail, {0, 0, -5});
            run(audio, 0.2);
            goodAt = playAt(audio, Sound::CrashMeteor, {0, 0, -5});
            run(audio, 0.1);
        },
        false, 1.0f, folder);
    const std::string where = "drifthold: sound " + folder + "/";
    const std::string after = "; the game plays on without it\n";
    EXPECT_EQ(r.errors, where + "turn.wav not loaded: missing" + after + where +
                            "chime.wav not loaded: unreadable (libsndfile: Format not recognised)" +
                            after + where +
                            "crash-trail.wav not loaded: Unsigned 8 bit PCM samples, not 16-bit "
                            "PCM" +
                            after + where + "click.wav not loaded: 2 channels, not mono" + after);
    EXPECT_LT(r.rms(badAt, goodAt), kSilent);
    EXPECT_GT(r.rmsAfter(goodAt, 0.1), kHeard);
}

TEST(AudioFiles, AFolderWithoutSoundsIsOneLineAndSilence) {
    const std::string folder = test::tempFolder("nosounds");
    const Recording r = record(
        [](Audio& audio) {
            audio.setListener(glm::mat4(1.0f));
            audio.setEngine({0, 0, -3}, 0.6f);
            for (Sound s : {Sound::Engine, Sound::Turn, Sound::Chime, Sound::CrashMeteor,
                            Sound::CrashTrail, Sound::Click}) {
                audio.play(s, {0, 0, -3});
                audio.playFlat(s);
            }
            run(audio, 0.15);
        },
        false, 1.0f, folder);
    EXPECT_EQ(r.errors, "drifthold: no sound files in " + folder +
                            " (all six missing); the game plays on without sound\n");
    EXPECT_LT(r.rms(0, static_cast<long long>(r.left.size())), kSilent);
}

// Without an audio device the game plays on: one line says so, every call is harmless.
// OpenAL reads its configuration once per process, so this runs in a fresh one that
// names a driver which does not exist.
TEST(AudioFiles, WithoutADeviceEveryCallIsSafeAndOneLineSaysWhy) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            const std::string config = test::tempFolder("nodevice") + "/alsoft.conf";
            std::ofstream(config) << "[general]\ndrivers=no-such-driver\n";
            setenv("ALSOFT_CONF", config.c_str(), 1);
            unsetenv("ALSOFT_LOGLEVEL");
            bool fine = true;
            {
                Audio audio(false, 0.5f);
                fine = !audio.available() && audio.mixedFrames() == -1;
                audio.setListener(glm::mat4(1.0f));
                audio.setEngine({0, 0, 0}, 0.4f);
                audio.update(0.016);
                audio.play(Sound::Chime, {1, 2, 3});
                audio.playFlat(Sound::Click);
                audio.setMuted(true);
                audio.setVolume(0.25f);
                fine = fine && audio.muted() && audio.volume() == 0.25f;
                Audio moved = std::move(audio);
                moved.update(0.016);
            }
            std::exit(fine ? 0 : 1);
        },
        testing::ExitedWithCode(0),
        "^drifthold: no audio device opened; the game plays on without sound\n$");
}

// The AL owners: a move hands the name over, and the last owner deletes it, once.
TEST(AudioOwners, AMoveHandsTheNameOverAndTheLastOwnerDeletesIt) {
    const Recording r = record([](Audio&) {
        al::Buffer first = al::Buffer::create();
        const ALuint name = first;
        al::Buffer second(std::move(first));
        first = std::move(second);
        EXPECT_TRUE(name != 0 && first.id() == name && second.id() == 0 && alIsBuffer(name));
        first.reset();
        EXPECT_FALSE(alIsBuffer(name));
    });
    EXPECT_EQ(r.errors, "");
}

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Before the first OpenAL call of the process: the wave writer instead of the machine's
    // sound system, and OpenAL's warnings on stderr where the tests look for them.
    setenv("ALSOFT_CONF", mixFiles().config.c_str(), 1);
    setenv("ALSOFT_LOGLEVEL", "2", 1);
    unsetenv("ALSOFT_DRIVERS");
    return RUN_ALL_TESTS();
}
