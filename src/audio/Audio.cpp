#include "audio/Audio.h"

#include "audio/AlObject.h"
#include "audio/SoundFile.h"
#include "gfx/Fatal.h"

#include <AL/alext.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>
#include <iostream>
#include <string>
#include <vector>

namespace drifthold {

namespace {

struct SoundInfo {
    const char* file;
    float gain; // every file peaks at -3 dBFS; this sets them against each other
};
// In the order of enum Sound.
constexpr std::array<SoundInfo, 6> kSounds = {{{"engine.wav", 1.0f},
                                               {"turn.wav", 0.45f},
                                               {"chime.wav", 0.8f},
                                               {"crash-meteor.wav", 1.0f},
                                               {"crash-trail.wav", 0.9f},
                                               {"click.wav", 0.5f}}};
constexpr size_t kSoundCount = kSounds.size();

// One-shots at once; a ninth takes the source of the oldest.
constexpr size_t kVoices = 8;

// The play volume is a cube from -2 to 2 seen from about 10 units away, so sources sit 8
// to 12 units from the listener. Inverse distance with a gentle rolloff keeps them all
// well audible (gain 0.57 at 8, 0.4 at 14) while their direction still pans clearly;
// nearer than 4 units nothing gets louder.
constexpr float kReferenceDistance = 4.0f;
constexpr float kRolloff = 0.5f;
constexpr float kMaxDistance = 100.0f;

// The engine at speed s: gain 0.2 + 0.5 s and pitch 0.7 + s, so the three speeds play the
// loop's 110 Hz at 99, 121 and 143 Hz, a little louder each. Changes glide with these
// time constants; once faded below kEngineSilent the source pauses.
constexpr float kEngineGainBase = 0.2f;
constexpr float kEngineGainPerSpeed = 0.5f;
constexpr float kEnginePitchBase = 0.7f;
constexpr double kEngineGainGlide = 0.08;
constexpr double kEnginePitchGlide = 0.15;
constexpr float kEngineSilent = 0.002f;

float clampVolume(float volume) {
    if (!(volume > 0.0f)) // also NaN
        return 0.0f;
    return volume < 1.0f ? volume : 1.0f;
}

std::string hex(int value) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (int shift = 12; shift >= 0; shift -= 4)
        out += digits[(value >> shift) & 0xF];
    return "0x" + out;
}

} // namespace

struct Audio::Device {
    // Declared in the order of creation, so destruction runs backwards: the sources, then
    // the buffers they play, then the context (made non-current), then the device.
    al::Device device;
    al::Context context;
    std::array<al::Buffer, kSoundCount> buffers;
    al::Source engine;
    std::array<al::Source, kVoices> voices;
    size_t nextVoice = 0;

    LPALCGETINTEGER64VSOFT clock = nullptr;
    long long rate = 0;

    float engineGain = 0.0f;
    float enginePitch = 1.0f;
    float engineTargetGain = 0.0f;
    float engineTargetPitch = 1.0f;
    bool engineRunning = false;
};

namespace {

// Loads every sound into its buffer; returns the stderr lines for the files that failed.
std::vector<std::string> loadSounds(std::array<al::Buffer, kSoundCount>& buffers,
                                    const std::string& folder) {
    std::vector<std::string> lines;
    size_t missing = 0;
    for (size_t i = 0; i < kSoundCount; ++i) {
        const std::string path = nativePath(folder + "\\" + kSounds[i].file);
        DecodedSound sound = decodeSound(path);
        if (sound.refusal.empty()) {
            buffers[i] = al::Buffer::create();
            alGetError();
            if (buffers[i] != 0)
                alBufferData(buffers[i], AL_FORMAT_MONO16, sound.samples.data(),
                             ALsizei(sound.samples.size() * sizeof(sound.samples[0])),
                             ALsizei(sound.rate));
            if (buffers[i] == 0 || alGetError() != AL_NO_ERROR) {
                buffers[i].reset();
                sound.refusal = "OpenAL would not take its samples";
            }
        }
        if (!sound.refusal.empty()) {
            missing += sound.missing;
            lines.push_back("drifthold: sound " + path + " not loaded: " + sound.refusal +
                            "; the game plays on without it");
        }
    }
    if (missing == kSoundCount)
        return {"drifthold: no sound files in " + nativePath(folder) +
                " (all six missing); the game plays on without sound"};
    return lines;
}

// While a device opens, the libraries under OpenAL (ALSA, say) write their own complaints
// on stderr, a dozen lines on a machine without a sound card. The player gets one line from
// the game instead, so stderr goes nowhere for that moment. Start-up writes nothing else
// on stderr meanwhile (the model reader prints nothing).
class QuietStderr {
public:
    QuietStderr() {
        std::cerr.flush();
        std::fflush(stderr);
        saved = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (saved >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            close(null);
    }
    ~QuietStderr() {
        std::fflush(stderr);
        if (saved >= 0) {
            dup2(saved, STDERR_FILENO);
            close(saved);
        }
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;

private:
    int saved = -1;
};

} // namespace

Audio::Audio(bool startMuted, float volume, const std::string& folder)
    : volume_(clampVolume(volume)), muted_(startMuted) {
    auto d = std::make_unique<Device>();
    {
        QuietStderr quiet;
        d->device.reset(alcOpenDevice(nullptr));
    }
    if (!d->device) {
        std::cerr << "drifthold: no audio device opened; the game plays on without sound"
                  << std::endl;
        return;
    }
    d->context.reset(alcCreateContext(d->device.get(), nullptr));
    if (!d->context || alcMakeContextCurrent(d->context.get()) != ALC_TRUE) {
        const ALCenum error = alcGetError(d->device.get());
        const ALCchar* name = alcGetString(d->device.get(), ALC_DEVICE_SPECIFIER);
        std::cerr << "drifthold: the audio device " << (name ? name : "(unnamed)")
                  << " gave no context (ALC error " << hex(error)
                  << "); the game plays on without sound" << std::endl;
        return;
    }
    d->engine = al::Source::create();
    bool sources = d->engine != 0;
    for (al::Source& voice : d->voices)
        sources = sources && (voice = al::Source::create()) != 0;
    if (!sources) {
        std::cerr << "drifthold: the audio device gave no sources; "
                  << "the game plays on without sound" << std::endl;
        return;
    }
    for (const std::string& line : loadSounds(d->buffers, folder))
        std::cerr << line << std::endl;

    alDistanceModel(AL_INVERSE_DISTANCE_CLAMPED);
    auto attenuate = [](ALuint source) {
        alSourcef(source, AL_REFERENCE_DISTANCE, kReferenceDistance);
        alSourcef(source, AL_ROLLOFF_FACTOR, kRolloff);
        alSourcef(source, AL_MAX_DISTANCE, kMaxDistance);
    };
    attenuate(d->engine);
    for (ALuint voice : d->voices)
        attenuate(voice);
    alSourcei(d->engine, AL_LOOPING, AL_TRUE);
    alSourcef(d->engine, AL_GAIN, 0.0f);
    if (d->buffers[size_t(Sound::Engine)] != 0)
        alSourcei(d->engine, AL_BUFFER, ALint(d->buffers[size_t(Sound::Engine)].id()));

    if (alcIsExtensionPresent(d->device.get(), "ALC_SOFT_device_clock") == ALC_TRUE)
        d->clock = reinterpret_cast<LPALCGETINTEGER64VSOFT>(
            alcGetProcAddress(d->device.get(), "alcGetInteger64vSOFT"));
    ALCint rate = 0;
    alcGetIntegerv(d->device.get(), ALC_FREQUENCY, 1, &rate);
    d->rate = rate;

    device_ = std::move(d);
    alListenerf(AL_GAIN, muted_ ? 0.0f : volume_);
}

Audio::~Audio() = default;
Audio::Audio(Audio&&) noexcept = default;
Audio& Audio::operator=(Audio&&) noexcept = default;

bool Audio::available() const {
    return device_ != nullptr;
}

void Audio::setListener(const glm::mat4& view) {
    if (!device_)
        return;
    const glm::mat4 world = glm::inverse(view);
    const glm::vec3 position(world[3]);
    const glm::vec3 forward = glm::normalize(-glm::vec3(world[2]));
    const glm::vec3 up = glm::normalize(glm::vec3(world[1]));
    const ALfloat orientation[6] = {forward.x, forward.y, forward.z, up.x, up.y, up.z};
    alListener3f(AL_POSITION, position.x, position.y, position.z);
    alListenerfv(AL_ORIENTATION, orientation);
}

void Audio::setEngine(const glm::vec3& position, float speed) {
    if (!device_ || device_->buffers[size_t(Sound::Engine)] == 0)
        return;
    Device& d = *device_;
    alSource3f(d.engine, AL_POSITION, position.x, position.y, position.z);
    if (!(speed > 0.0f)) {
        d.engineTargetGain = 0.0f;
        return;
    }
    speed = speed < 1.0f ? speed : 1.0f;
    d.engineTargetGain =
        (kEngineGainBase + kEngineGainPerSpeed * speed) * kSounds[size_t(Sound::Engine)].gain;
    d.engineTargetPitch = kEnginePitchBase + speed;
    if (!d.engineRunning) {
        // From silence there is nothing to glide from: start at the new pitch.
        d.enginePitch = d.engineTargetPitch;
        alSourcef(d.engine, AL_PITCH, d.enginePitch);
        alSourcef(d.engine, AL_GAIN, d.engineGain);
        alSourcePlay(d.engine);
        d.engineRunning = true;
    }
}

void Audio::update(double dt) {
    if (!device_ || !device_->engineRunning || !(dt > 0.0))
        return;
    Device& d = *device_;
    d.engineGain +=
        (d.engineTargetGain - d.engineGain) * float(1.0 - std::exp(-dt / kEngineGainGlide));
    d.enginePitch +=
        (d.engineTargetPitch - d.enginePitch) * float(1.0 - std::exp(-dt / kEnginePitchGlide));
    if (d.engineTargetGain == 0.0f && d.engineGain < kEngineSilent) {
        d.engineGain = 0.0f;
        alSourcePause(d.engine);
        d.engineRunning = false;
    }
    alSourcef(d.engine, AL_GAIN, d.engineGain);
    alSourcef(d.engine, AL_PITCH, d.enginePitch);
}

void Audio::play(Sound sound, const glm::vec3& position) {
    start(sound, position, false);
}

void Audio::playFlat(Sound sound) {
    start(sound, glm::vec3(0.0f), true);
}

void Audio::start(Sound sound, const glm::vec3& position, bool atListener) {
    const size_t index = size_t(sound);
    if (!device_ || index >= kSoundCount || device_->buffers[index] == 0)
        return;
    Device& d = *device_;
    // The sources take turns, so the one taken is the one started longest ago.
    const ALuint voice = d.voices[d.nextVoice];
    d.nextVoice = (d.nextVoice + 1) % kVoices;
    alSourceStop(voice); // a buffer can only be changed on a stopped source
    alSourcei(voice, AL_BUFFER, ALint(d.buffers[index].id()));
    alSourcei(voice, AL_SOURCE_RELATIVE, atListener ? AL_TRUE : AL_FALSE);
    alSource3f(voice, AL_POSITION, position.x, position.y, position.z);
    alSourcef(voice, AL_GAIN, kSounds[index].gain);
    alSourcePlay(voice);
}

void Audio::setVolume(float volume) {
    volume_ = clampVolume(volume);
    if (device_)
        alListenerf(AL_GAIN, muted_ ? 0.0f : volume_);
}

void Audio::setMuted(bool muted) {
    muted_ = muted;
    if (device_)
        alListenerf(AL_GAIN, muted_ ? 0.0f : volume_);
}

long long Audio::mixedFrames() const {
    if (!device_ || !device_->clock || device_->rate <= 0)
        return -1;
    ALCint64SOFT nanoseconds = 0;
    device_->clock(device_->device.get(), ALC_DEVICE_CLOCK_SOFT, 1, &nanoseconds);
    // Whole seconds and the rest apart, so a long session cannot overflow; the device
    // counts frames and truncates to nanoseconds, so rounding gives its count back.
    const long long second = 1000000000;
    return nanoseconds / second * device_->rate +
           (nanoseconds % second * device_->rate + second / 2) / second;
}

} // namespace drifthold
