#pragma once
#include "gfx/GLObject.h"
#include "gfx/PassProbe.h"

#include <cstdint>
#include <vector>

namespace drifthold {

// GPU time of each pass of a frame (GL_TIME_ELAPSED queries), for the benchmark. Results
// are read a few frames late from a ring of query sets, so measuring never stalls the
// pipeline it measures. Each reported frame is one line on stdout:
// "gpu: <pass>=<ms> ... total=<ms> allocations=<n>", n being the heap allocations the
// game's own code made since the previous frame ended (see AllocationCount.h).
class GpuTimers : public PassProbe {
public:
    GpuTimers() = default;
    GpuTimers(const GpuTimers&) = delete;
    GpuTimers& operator=(const GpuTimers&) = delete;

    void begin(Pass pass) override;
    void end() override;
    void endFrame(bool report) override;

private:
    static constexpr int kFrames = 4;
    std::vector<gl::Query> queries; // kFrames rows of kPassCount queries, made on first use
    std::vector<bool> issued;       // per query: begun in the frame that owns the row
    int frame = 0;
    int framesEnded = 0;
    std::uint64_t allocationsAtFrameEnd = 0;
};

} // namespace drifthold
