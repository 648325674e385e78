#include "app/GpuTimers.h"

#ifdef DRIFTHOLD_GPU_TIMERS
#include "app/AllocationCount.h"

#include <iomanip>
#include <iostream>
#endif

namespace drifthold {

#ifndef DRIFTHOLD_GPU_TIMERS

GpuTimers::GpuTimers(std::initializer_list<const char*> /*passNames*/) {}
void GpuTimers::begin(int /*pass*/) {}
void GpuTimers::end() {}
void GpuTimers::endFrame(bool /*print*/) {}

#else

GpuTimers::GpuTimers(std::initializer_list<const char*> passNames) {
    for (const char* name : passNames)
        names.emplace_back(name);
}

void GpuTimers::begin(int pass) {
    if (queries.empty()) {
        // Made on first use, when a context is surely current.
        for (size_t i = 0; i < names.size() * kFrames; ++i)
            queries.push_back(gl::Query::create());
        issued.assign(queries.size(), false);
    }
    if (pass < 0 || pass >= static_cast<int>(names.size()))
        return;
    const size_t index = static_cast<size_t>(frame) * names.size() + static_cast<size_t>(pass);
    glBeginQuery(GL_TIME_ELAPSED, queries[index]);
    issued[index] = true;
}

void GpuTimers::end() {
    if (!queries.empty())
        glEndQuery(GL_TIME_ELAPSED);
}

void GpuTimers::endFrame(bool print) {
    if (queries.empty())
        return;
    // Everything allocated since the last frame ended, this report's own line excluded.
    const std::uint64_t allocations = allocationCount() - allocationsAtFrameEnd;
    ++framesEnded;
    frame = (frame + 1) % kFrames;
    // The row about to be reused is the oldest: kFrames - 1 frames have passed since,
    // so its results are normally ready; report it before it is overwritten.
    const size_t row = static_cast<size_t>(frame) * names.size();
    if (framesEnded >= kFrames && print) {
        // Straight to the stream: the report must not allocate what it counts.
        std::ostream& line = std::cout;
        const std::ios::fmtflags flags = line.flags();
        const std::streamsize precision = line.precision();
        line << std::fixed << std::setprecision(3) << "gpu:";
        double total = 0.0;
        for (size_t pass = 0; pass < names.size(); ++pass) {
            double millis = 0.0;
            if (issued[row + pass]) {
                GLuint64 nanos = 0;
                glGetQueryObjectui64v(queries[row + pass], GL_QUERY_RESULT, &nanos);
                millis = static_cast<double>(nanos) / 1.0e6;
            }
            total += millis;
            line << ' ' << names[pass] << '=' << millis;
        }
        line << " total=" << total << " allocations=" << allocations << std::endl;
        line.flags(flags);
        line.precision(precision);
    }
    for (size_t pass = 0; pass < names.size(); ++pass)
        issued[row + pass] = false;
    allocationsAtFrameEnd = allocationCount();
}

#endif

} // namespace drifthold
