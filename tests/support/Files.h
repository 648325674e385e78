#pragma once
// Files for tests: a scratch folder per tag and process, removed when the process exits
// (a failed run's folders stay only if the process dies first), and whole-file reads and
// writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace drifthold::test {

// A fresh folder under the test temp dir, unique to this tag and process.
inline std::string tempFolder(const std::string& tag) {
    static std::vector<std::string> made;
    static const int cleanup = std::atexit([] {
        std::error_code ignored;
        for (const std::string& folder : made)
            std::filesystem::remove_all(folder, ignored);
    });
    (void)cleanup;
    const std::string folder = std::filesystem::temp_directory_path().string() + "/drifthold_" +
                               tag + "_" + std::to_string(getpid());
    if (std::find(made.begin(), made.end(), folder) == made.end())
        made.push_back(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// Writes `text` to `folder`/`name` (making folders as needed); returns the path.
inline std::string writeFile(const std::string& folder, const std::string& name,
                             const std::string& text) {
    const std::filesystem::path path = std::filesystem::path(folder) / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

} // namespace drifthold::test
