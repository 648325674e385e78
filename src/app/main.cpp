#include "app/Application.h"
#include "platform/CommandLine.h"

#include <iostream>

#ifdef DRIFTHOLD_BENCH
#include "diagnostics/GpuTimers.h"
#endif

int main(int argc, char** argv) {
    const drifthold::CommandLine commandLine = drifthold::parseCommandLine(argc, argv);
    std::cout << commandLine.out << std::flush;
    std::cerr << commandLine.err << std::flush;
    if (!commandLine.run)
        return commandLine.exitStatus;

    drifthold::GameOptions options;
    options.command = commandLine.options;
#ifdef DRIFTHOLD_BENCH
    // The benchmark build: frame times from the second frame on, with per-pass GPU times.
    options.frameTimesWithoutKey = true;
    options.makeProbe = [] { return std::make_unique<drifthold::GpuTimers>(); };
#endif
    return drifthold::runGame(options);
}
