#pragma once
#include <glm/glm.hpp>

#include <memory>
#include <string>

namespace drifthold {

enum class Sound { Engine, Turn, Chime, CrashMeteor, CrashTrail, Click };

// The game's sound. OpenAL Soft mixes on a thread of its own and places the sources in
// space around the listener; the game calls this from the main thread only. After the
// constructor no call allocates: one-shots take turns on a fixed set of sources.
//
// Never fatal. When no audio device opens (none on the machine, no usable driver) or the
// device gives no context, one line on stderr says so, available() is false and every call
// below does nothing: the game plays on in silence. A sound file that is missing or
// refused (decodeSound) costs one line naming the file and why, and silences that sound
// alone; when every file is missing, one line names the folder instead.
//
// One Audio at a time: it makes its context the process's current one.
class Audio {
public:
    // Where the six sounds are, written like every asset path of the game.
    static constexpr const char* kFolder = "Assets\\Sounds";

    explicit Audio(bool startMuted = false, float volume = 1.0f,
                   const std::string& folder = kFolder);
    ~Audio();
    Audio(Audio&&) noexcept;
    Audio& operator=(Audio&&) noexcept;

    // A device and a context exist; sounds whose files loaded can be heard.
    bool available() const;

    // The view matrix the player sees: the listener takes its position and orientation from
    // the inverse (looking down -z, +y up), so a source left of the view is heard on the left.
    void setListener(const glm::mat4& view);
    // The looped engine at the ship. `speed` is the ship's speed value (0, 0.2, 0.4, 0.6):
    // pitch and gain follow it, gliding there over update() calls so speed keys do not
    // click; at 0 the engine fades out and stops.
    void setEngine(const glm::vec3& position, float speed);
    // A one-shot at a place in the world (the chime at the junk, a crash at the ship).
    void play(Sound sound, const glm::vec3& position);
    // A one-shot at the listener, the same whichever way it looks (menu click, turn).
    void playFlat(Sound sound);

    // Master gain, 0 to 1.
    void setVolume(float volume);
    float volume() const { return volume_; }
    // Nothing is heard while muted; the volume is kept for afterwards.
    void setMuted(bool muted);
    bool muted() const { return muted_; }

    // Once a frame, with the frame's time in seconds: the engine's glides.
    void update(double dt);

    // How many frames the device has mixed since it opened (ALC_SOFT_device_clock), at its
    // output rate. A sound started now begins at or after this frame of the output, which
    // lets a test find the moment in a recording of the mix. -1 without a device or clock.
    long long mixedFrames() const;

private:
    struct Device;
    void start(Sound sound, const glm::vec3& position, bool atListener);

    std::unique_ptr<Device> device_;
    float volume_ = 1.0f;
    bool muted_ = false;
};

} // namespace drifthold
