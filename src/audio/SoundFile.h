#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace drifthold {

// The sounds the game plays: 16-bit PCM in a WAV (RIFF WAVE, plain or extensible) file,
// one channel (OpenAL places only mono sources in space), 8000 to 192000 frames a second,
// and at most 30 seconds long. Everything else is refused.
constexpr int kMinSoundRate = 8000;
constexpr int kMaxSoundRate = 192000;
constexpr int kMaxSoundSeconds = 30;

struct DecodedSound {
    std::vector<int16_t> samples; // one per frame
    int rate = 0;                 // frames a second
    std::string refusal;          // why the file was refused; empty when decoded
    bool missing = false;         // refused because there is no such file
};

// Reads `path` (a native path) with libsndfile. Whatever its header says is checked
// before any sample memory exists, so a file claiming absurd sizes costs nothing.
// libsndfile itself trims a data length beyond the end of the file to what is there.
DecodedSound decodeSound(const std::string& path);

} // namespace drifthold
