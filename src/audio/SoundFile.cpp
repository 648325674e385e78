#include "audio/SoundFile.h"

#include <sndfile.h>

#include <filesystem>
#include <memory>

namespace drifthold {

namespace {

struct CloseSndFile {
    void operator()(SNDFILE* file) const noexcept { sf_close(file); }
};
using SndFile = std::unique_ptr<SNDFILE, CloseSndFile>;

DecodedSound refuse(std::string why) {
    DecodedSound refused;
    refused.refusal = std::move(why);
    return refused;
}

// libsndfile's own name of a sample encoding ("Unsigned 8 bit PCM", "32 bit float").
std::string encodingName(int format) {
    SF_FORMAT_INFO info{};
    info.format = format & SF_FORMAT_SUBMASK;
    if (sf_command(nullptr, SFC_GET_FORMAT_INFO, &info, sizeof info) != 0 || !info.name)
        return "an unknown encoding";
    return info.name;
}

} // namespace

DecodedSound decodeSound(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status)) {
        DecodedSound missing = refuse("missing");
        missing.missing = true;
        return missing;
    }
    if (!std::filesystem::is_regular_file(status))
        return refuse("not a file");
    if (std::filesystem::file_size(path, error) == 0 && !error)
        return refuse("empty");

    // sf_open reads the header only; no sample memory exists until every check below passed.
    SF_INFO info{};
    SndFile file(sf_open(path.c_str(), SFM_READ, &info));
    if (!file) {
        std::string why = sf_strerror(nullptr);
        if (!why.empty() && why.back() == '.')
            why.pop_back();
        return refuse("unreadable (libsndfile: " + why + ")");
    }
    const int container = info.format & SF_FORMAT_TYPEMASK;
    if (container != SF_FORMAT_WAV && container != SF_FORMAT_WAVEX)
        return refuse("not a WAV file");
    if (info.channels != 1)
        return refuse(std::to_string(info.channels) + " channels, not mono");
    if ((info.format & SF_FORMAT_SUBMASK) != SF_FORMAT_PCM_16)
        return refuse(encodingName(info.format) + " samples, not 16-bit PCM");
    if (info.samplerate < kMinSoundRate || info.samplerate > kMaxSoundRate)
        return refuse("a rate of " + std::to_string(info.samplerate) + " Hz");
    if (info.frames <= 0)
        return refuse("no samples");
    if (info.frames > sf_count_t(info.samplerate) * kMaxSoundSeconds)
        return refuse("longer than " + std::to_string(kMaxSoundSeconds) + " s");

    DecodedSound sound;
    sound.samples.resize(size_t(info.frames));
    const sf_count_t read = sf_readf_short(file.get(), sound.samples.data(), info.frames);
    if (read != info.frames)
        return refuse("cut short (" + std::to_string(read) + " of " + std::to_string(info.frames) +
                      " frames)");
    sound.rate = info.samplerate;
    return sound;
}

} // namespace drifthold
