#include "gfx/Fatal.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <unistd.h>

namespace drifthold {

void fatalEnding() {
    std::cout.flush();
    // Stands in for the console pause: never run a program, and never wait on a pipe
    // or a closed stdin, so scripts and CI cannot hang here.
    if (isatty(STDIN_FILENO)) {
        std::cout << "Press Enter to continue . . ." << std::flush;
        std::string line;
        std::getline(std::cin, line);
    }
    std::exit(-1);
}

std::string nativePath(const std::string& path) {
    std::string out = path;
    for (char& c : out) {
        if (c == '\\')
            c = '/';
    }
    return out;
}

} // namespace drifthold
