#pragma once
// Death tests match what the dying process wrote to stderr. The game's own lines go to
// stdout, and its hints for the player to stderr; this sends stdout where the death test
// looks and drops the hints, so the game's lines can be matched exactly.
#include <fcntl.h>
#include <unistd.h>

namespace drifthold::test {

inline void matchStdoutOnly() {
    const int captured = dup(STDERR_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDERR_FILENO);
    dup2(captured, STDOUT_FILENO);
}

} // namespace drifthold::test
