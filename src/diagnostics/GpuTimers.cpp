#include "diagnostics/GpuTimers.h"

#include "diagnostics/AllocationCount.h"
#include "gfx/DebugLabels.h"

#include <iomanip>
#include <iostream>

namespace drifthold {

void GpuTimers::begin(Pass pass) {
    if (queries.empty()) {
        // Made on first use, when a context is surely current.
        for (int i = 0; i < kPassCount * kFrames; ++i)
            queries.push_back(gl::Query::create());
        issued.assign(queries.size(), false);
    }
    const size_t index = static_cast<size_t>(frame * kPassCount + static_cast<int>(pass));
    glBeginQuery(GL_TIME_ELAPSED, queries[index]);
    // A query name is an object only once begun: each is labelled on its first use.
    if (framesEnded < kFrames)
        labelGLObject(GL_QUERY, queries[index], kPassNames[static_cast<int>(pass)], "timer");
    issued[index] = true;
}

void GpuTimers::end() {
    if (!queries.empty())
        glEndQuery(GL_TIME_ELAPSED);
}

void GpuTimers::endFrame(bool report) {
    if (queries.empty())
        return;
    // Everything allocated since the last frame ended, this report's own line excluded.
    const std::uint64_t allocations = allocationCount() - allocationsAtFrameEnd;
    ++framesEnded;
    frame = (frame + 1) % kFrames;
    // The row about to be reused is the oldest: kFrames - 1 frames have passed since,
    // so its results are normally ready; report it before it is overwritten.
    const size_t row = static_cast<size_t>(frame * kPassCount);
    if (framesEnded >= kFrames && report) {
        // Straight to the stream: the report must not allocate what it counts.
        std::ostream& line = std::cout;
        const std::ios::fmtflags flags = line.flags();
        const std::streamsize precision = line.precision();
        line << std::fixed << std::setprecision(3) << "gpu:";
        double total = 0.0;
        for (int pass = 0; pass < kPassCount; ++pass) {
            double millis = 0.0;
            if (issued[row + static_cast<size_t>(pass)]) {
                GLuint64 nanos = 0;
                glGetQueryObjectui64v(queries[row + static_cast<size_t>(pass)], GL_QUERY_RESULT,
                                      &nanos);
                millis = static_cast<double>(nanos) / 1.0e6;
            }
            total += millis;
            line << ' ' << kPassNames[pass] << '=' << millis;
        }
        line << " total=" << total << " allocations=" << allocations << std::endl;
        line.flags(flags);
        line.precision(precision);
    }
    for (int pass = 0; pass < kPassCount; ++pass)
        issued[row + static_cast<size_t>(pass)] = false;
    allocationsAtFrameEnd = allocationCount();
}

} // namespace drifthold
