#include "gfx/Fatal.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
    // Ends without running static destructors: start-up may fail while the model files
    // are still being read on another thread, which must not meet libraries being torn
    // down under it. Everything written is flushed first.
    std::cout.flush();
    std::cerr.flush();
    std::_Exit(-1);
}

void explainMissingFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::path here = std::filesystem::current_path(error);
    std::cerr << "drifthold: cannot open " << nativePath(path) << " in "
              << (error ? std::string("the working directory") : here.string()) << "\n"
              << "drifthold: the game reads its data from the folder it is started in; start it "
                 "with the drifthold launcher, or from the folder that holds Assets"
              << std::endl;
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
