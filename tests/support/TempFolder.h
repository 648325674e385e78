#pragma once
// Scratch folders for test files, and reading a file whole.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace drifthold::test {

// A fresh folder under the test temp dir, unique to this process and removed when it exits.
inline std::string tempFolder(const std::string& tag) {
    static std::vector<std::string> made;
    static const int cleanup = std::atexit([] {
        std::error_code ignored;
        for (const std::string& folder : made)
            std::filesystem::remove_all(folder, ignored);
    });
    (void)cleanup;
    made.push_back(std::filesystem::temp_directory_path().string() + "/drifthold_" + tag + "_" +
                   std::to_string(getpid()));
    std::filesystem::create_directories(made.back());
    return made.back();
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

} // namespace drifthold::test
