#pragma once
#include "gfx/GLObject.h"
#include "gfx/gl.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace drifthold {

// GPU time of each render pass (GL_TIME_ELAPSED queries), for the benchmark build only.
// Without DRIFTHOLD_GPU_TIMERS every call is empty and no query object is ever made, so
// the game pays nothing for it.
//
// Results are read a few frames late from a ring of query sets, so measuring never
// stalls the pipeline it measures.
class GpuTimers {
public:
    explicit GpuTimers(std::initializer_list<const char*> passNames);
    GpuTimers(const GpuTimers&) = delete;
    GpuTimers& operator=(const GpuTimers&) = delete;

    // Brackets one pass; passes of a frame must not nest.
    void begin(int pass);
    void end();
    // Closes the frame. When `print` is set, writes the newest finished frame as one
    // line: "gpu: <pass>=<ms> ... total=<ms> allocations=<n>", n being the heap
    // allocations since the previous frame ended.
    void endFrame(bool print);

private:
#ifdef DRIFTHOLD_GPU_TIMERS
    static constexpr int kFrames = 4;
    std::vector<std::string> names;
    std::vector<gl::Query> queries; // kFrames rows of names.size() queries
    std::vector<bool> issued;       // per query: begun in the frame that owns the row
    int frame = 0;
    int framesEnded = 0;
    std::uint64_t allocationsAtFrameEnd = 0;
#endif
};

} // namespace drifthold
