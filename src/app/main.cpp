#include "app/Application.h"

#ifdef DRIFTHOLD_BENCH
#include "diagnostics/GpuTimers.h"
#endif

int main() {
    drifthold::GameOptions options;
#ifdef DRIFTHOLD_BENCH
    // The benchmark build: frame times from the second frame on, with per-pass GPU times.
    options.frameTimesWithoutKey = true;
    options.makeProbe = [] { return std::make_unique<drifthold::GpuTimers>(); };
#endif
    return drifthold::runGame(options);
}
