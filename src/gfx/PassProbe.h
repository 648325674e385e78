#pragma once

namespace drifthold {

// The passes of a frame, in the order they run.
enum class Pass { Scene, Particles, ShadowTexture, ShadowMapping, MotionBlur, Present };
inline constexpr int kPassCount = 6;
inline constexpr const char* kPassNames[kPassCount] = {
    "scene", "particles", "shadow-texture", "shadow-mapping", "motion-blur", "present"};

// Watches the passes of every frame. The game runs without one; the benchmark build hands
// it GPU timers (src/diagnostics), made once the context exists and released with the
// game's other GL objects.
class PassProbe {
public:
    virtual ~PassProbe() = default;
    // Brackets one pass; passes do not nest.
    virtual void begin(Pass pass) = 0;
    virtual void end() = 0;
    // The frame is drawn; `report` when its frame-time line was written.
    virtual void endFrame(bool report) = 0;
};

} // namespace drifthold
