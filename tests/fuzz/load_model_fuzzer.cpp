// libFuzzer target: each input becomes a model file, its material library and a texture
// image in a private folder, loaded by the game's own ModelLoader and image decoder.
// An unreadable model is an expected outcome (the loader reports it); a crash, a
// sanitizer report or a broken record rule is a finding.
#include "fuzz/ModelFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

namespace {

std::string folder;

void removeFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "drifthold-fuzz.XXXXXX");
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::abort();
    }
    folder = pattern;
    std::atexit(removeFolder);
    // The loader's status lines would only slow the fuzzer down.
    std::cout.setstate(std::ios::badbit);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace drifthold::fuzz;
    writeFiles(folder, split(std::string_view(reinterpret_cast<const char*>(data), size)));
    const std::string fault = loadAndCheck(folder);
    if (!fault.empty()) {
        std::fprintf(stderr, "broken record: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
